#include "base/page_info.h"

#include "base/courier.h"
#include "base/language.h"
#include "base/process.h"
#include "base/status.h"

namespace quenzel {

std::wstring PageInfo::PageInfoText()
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (infoSet_)
            return info_;
    }
    return LangString(infoKey_);
}

void PageInfo::SetPageInfoText(const std::wstring& text)
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        info_ = text;
        infoSet_ = true;
    }
    ShowWhileShown();
}

void PageInfo::ResetPageInfoText()
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        info_.clear();
        infoSet_ = false;
    }
    ShowWhileShown();
}

// In order with the worker's other notes, and outside the lock: the text
// as it is when the window's thread comes to it.
void PageInfo::ShowWhileShown()
{
    PostCall([this] {
        if (CurrentPage == pageIndex_)
            ShowPageInfoText();
    });
}

void PageInfo::ShowPageInfoText()
{
    const std::wstring text = PageInfoText();
    SetStatusText(text.c_str(), 0, StatusInfoPart);
}

} // namespace quenzel
