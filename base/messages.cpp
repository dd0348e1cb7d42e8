#include "base/messages.h"

#include "base/language.h"
#include "base/shell.h"

namespace quenzel {

void ReportSettingNotSaved()
{
    const std::wstring text = LangString(SettingsWriteFailedKey);
    const std::wstring caption = LangString(ErrorCaptionKey);
    MessageBoxW(MainWindow, text.c_str(), caption.c_str(), MB_ICONWARNING);
}

} // namespace quenzel
