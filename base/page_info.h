// A page's information line: the text it shows in status-bar part 1 while
// it is shown, written by its workers and read by its show routine.
#pragma once

#include <mutex>
#include <string>

namespace quenzel {

class PageInfo {
public:
    explicit PageInfo(int infoKey)
        : infoKey_(infoKey)
    { }

    // `PageInfoText`: the language text `infoKey` until something else was set.
    std::wstring PageInfoText();
    // Sets the text and shows it in status-bar part 1.
    void SetPageInfoText(const std::wstring& text);
    // Goes back to the language text `infoKey` and shows it in status-bar part 1.
    void ResetPageInfoText();
    // Shows the text in status-bar part 1.
    void ShowPageInfoText();

private:
    int infoKey_;
    std::mutex lock_;
    std::wstring info_;
    bool infoSet_ = false;
};

} // namespace quenzel
