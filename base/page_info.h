// A page's information line: the text it shows in status-bar part 1 while
// it is shown, written by its workers and read by its show routine. A text
// set while another page is shown waits for its page.
#pragma once

#include <mutex>
#include <string>

namespace quenzel {

class PageInfo {
public:
    PageInfo(int pageIndex, int infoKey)
        : pageIndex_(pageIndex)
        , infoKey_(infoKey)
    { }

    // `PageInfoText`: the language text `infoKey` until something else was set.
    std::wstring PageInfoText();
    // Sets the text and, while the page is shown, shows it in status-bar
    // part 1; any thread may call it.
    void SetPageInfoText(const std::wstring& text);
    // Goes back to the language text `infoKey`, shown as SetPageInfoText shows.
    void ResetPageInfoText();
    // Shows the text in status-bar part 1, on the window's thread.
    void ShowPageInfoText();

private:
    void ShowWhileShown();

    int pageIndex_;
    int infoKey_;
    std::mutex lock_;
    std::wstring info_;
    bool infoSet_ = false;
};

} // namespace quenzel
