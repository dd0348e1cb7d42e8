#include "crypt/page_state.h"

#include "base/lang_keys.h"
#include "base/language.h"
#include "base/status.h"

namespace quenzel {

namespace {
} // namespace

CryptPageState FilePageState(keys::FilePageInfo);
CryptPageState FolderPageState(keys::FolderPageInfo);

std::wstring CryptPageState::PageInfoText()
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (infoSet_)
            return info_;
    }
    return LangString(infoKey_);
}

void CryptPageState::SetPageInfoText(const std::wstring& text)
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        info_ = text;
        infoSet_ = true;
    }
    // Shown outside the lock: the status bar's thread may be asking for it.
    SetStatusText(text.c_str(), 0, StatusInfoPart);
}

void CryptPageState::ShowPageInfoText()
{
    const std::wstring text = PageInfoText();
    SetStatusText(text.c_str(), 0, StatusInfoPart);
}

} // namespace quenzel
