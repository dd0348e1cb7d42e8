#include "base/messages.h"

#include "base/courier.h"
#include "base/language.h"

#include <atomic>

namespace quenzel {

namespace {
std::atomic<bool> Silenced{false};
std::atomic<bool> HeldBack{false};
} // namespace

void SilenceWarnings()
{
    Silenced = true;
}

bool WarningHeldBack()
{
    return HeldBack;
}

void ShowWarning(const std::wstring& text, const std::wstring& caption)
{
    if (Silenced) {
        HeldBack = true;
        return;
    }
    ReportOnWindow(text, caption, ReportKind::Warning);
}

void ReportSettingNotSaved()
{
    ShowWarning(LangString(SettingsWriteFailedKey), LangString(ErrorCaptionKey));
}

} // namespace quenzel
