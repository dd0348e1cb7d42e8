#include "crypt/folder_messages.h"

#include "base/lang_keys.h"
#include "base/language.h"
#include "base/courier.h"
#include "base/messages.h"
#include "base/page_kit.h"
#include "base/process.h"

#include <windows.h>

namespace quenzel {

namespace {

constexpr wchar_t LineBreak[] = L"\n";

// Failures that concern one file alone: the next files will not meet them,
// so the job goes on without asking.
bool FailureOfTheFileAlone(int messageKey)
{
    return messageKey == keys::FolderItemCannotOpen || messageKey == keys::ItemOutsideRoot
        || messageKey == keys::StrongWrongKeyOrDamaged || messageKey == keys::StrongLaterVersion
        || messageKey == keys::LegacyKeyFileTooLarge || messageKey == keys::FolderOutputReadOnly;
}

} // namespace

int FolderFailureKey(const FolderItemOutcome& outcome)
{
    switch (outcome.status) {
    case FolderItemStatus::Done:
        return 0;
    case FolderItemStatus::OutsideRoot:
        return keys::ItemOutsideRoot;
    case FolderItemStatus::NotTransformed:
        break;
    }
    switch (outcome.transform.status) {
    case TransformStatus::Ok:
    case TransformStatus::Stopped:
        return 0;
    case TransformStatus::SourceOpenFailed:
    case TransformStatus::SourceReadFailed:
        return keys::FolderItemCannotOpen;
    case TransformStatus::OutputCreateFailed:
    case TransformStatus::ReplaceFailed:
    // The check before the job refuses an output that is the key file; a
    // key file that appears during the job is an output that cannot be made.
    case TransformStatus::KeyFileTarget:
        return keys::FolderOutputCannotCreate;
    case TransformStatus::DestinationReadOnly:
        return keys::FolderOutputReadOnly;
    case TransformStatus::WriteFailed:
        return keys::FolderOutputNotWritten;
    case TransformStatus::OutOfMemory:
        return keys::NoMemory;
    case TransformStatus::NoHashingMemory:
        return keys::StrongNoMemory;
    case TransformStatus::KeyUnavailable:
    case TransformStatus::KeyReadFailed:
        return keys::KeyFileUnreadable;
    case TransformStatus::WrongKeyOrDamaged:
        return keys::StrongWrongKeyOrDamaged;
    case TransformStatus::LaterVersion:
        return keys::StrongLaterVersion;
    case TransformStatus::StrongUnavailable:
        return keys::StrongUnavailable;
    case TransformStatus::KeyFileTooLarge:
        return keys::LegacyKeyFileTooLarge;
    }
    return keys::TaskFailed;
}

bool TellFolderFailure(FolderTally& tally, const std::wstring& path, int messageKey)
{
    if (!tally.Failed(path, messageKey))
        return true;
    std::wstring text = LangString(messageKey) + LineBreak
        + FormatLangText(keys::FailureFirstFile, MaxTextLength, path.c_str()) + LineBreak
        + LangString(keys::FailureNotRepeated);
    if (FailureOfTheFileAlone(messageKey)) {
        WarnUserText(text);
        return true;
    }
    text += LineBreak + LangString(keys::GoOnQuestion);
    const std::wstring caption = LangString(ErrorCaptionKey);
    return AskOnWindow(text, caption, false);
}

std::wstring FolderReportText(const FolderTally& tally, bool stopped, const FolderReportNames& names)
{
    const wchar_t* title = names.title.c_str();
    const wchar_t* output = names.output.c_str();
    std::wstring text;
    if (stopped)
        text = FormatLangText(keys::FolderJobStopped, MaxTextLength, tally.Processed(), tally.Listed(), title);
    else if (tally.Processed() < tally.Listed())
        text = FormatLangText(names.decryption ? keys::FolderDecryptPartReport : keys::FolderPartReport, MaxTextLength,
                              tally.Processed(), tally.Listed(), title, output);
    else
        text = FormatLangText(names.decryption ? keys::FolderDecryptReport : keys::FolderReport, MaxTextLength,
                              tally.Listed(), title, output);
    if (tally.FailedCount() == 0)
        return text;
    text += LineBreak + FormatLangText(keys::NotProcessedList, MaxTextLength, tally.FailedCount());
    for (const std::wstring& name : tally.NamedFailures())
        text += LineBreak + name;
    if (tally.UnnamedFailures() > 0)
        text += LineBreak + FormatLangText(keys::NotProcessedMore, MaxTextLength, tally.UnnamedFailures());
    return text;
}

} // namespace quenzel
