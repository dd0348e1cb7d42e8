#include "drives/folder_drive_value.h"

#include <algorithm>

namespace quenzel {

namespace {
constexpr std::size_t LetterPosition = 2;
constexpr std::size_t FolderPosition = 5; // "T|X: " comes first

wchar_t UpperLetter(wchar_t c)
{
    if (c >= L'a' && c <= L'z')
        return static_cast<wchar_t>(c - L'a' + L'A');
    return (c >= L'A' && c <= L'Z') ? c : 0;
}

std::wstring Trimmed(const std::wstring& text)
{
    const auto first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos)
        return L"";
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}
} // namespace

bool HoldsFolder(const std::wstring& folder)
{
    return !Trimmed(folder).empty();
}

bool ParseFolderDriveValue(const std::wstring& value, FolderDrive& drive)
{
    if (value.size() <= FolderPosition || (value[0] != L'0' && value[0] != L'1') || value[1] != L'|')
        return false;
    if (!ParseMappingArgument(value.substr(LetterPosition), drive))
        return false;
    drive.ticked = value[0] == L'1';
    return true;
}

std::wstring FolderDriveValue(const FolderDrive& drive)
{
    return std::wstring(drive.ticked ? L"1|" : L"0|") + MappingArgument(drive);
}

std::wstring MappingArgument(const FolderDrive& drive)
{
    return std::wstring(1, drive.letter) + L": " + drive.folder;
}

bool ParseMappingArgument(const std::wstring& argument, FolderDrive& drive)
{
    constexpr std::size_t folderStart = FolderPosition - LetterPosition;
    if (argument.size() <= folderStart || !UpperLetter(argument[0]) || argument[1] != L':' || argument[2] != L' '
        || !HoldsFolder(argument.substr(folderStart)))
        return false;
    drive.letter = UpperLetter(argument[0]);
    drive.folder = argument.substr(folderStart);
    return true;
}

std::wstring DriveColumnText(wchar_t letter)
{
    return std::wstring(L" [") + letter + L":]";
}

wchar_t LetterOfDriveColumn(const std::wstring& text)
{
    return text.size() == 5 && text.compare(0, 2, L" [") == 0 && text.compare(3, 2, L":]") == 0 ? UpperLetter(text[2])
                                                                                                : 0;
}

wchar_t LetterFromChoice(const std::wstring& text)
{
    std::wstring choice = Trimmed(text);
    if (choice.size() == 4 && choice.front() == L'[' && choice.back() == L']')
        choice = choice.substr(1, 2);
    if (choice.size() == 2 && choice[1] == L':')
        choice.pop_back();
    return choice.size() == 1 ? UpperLetter(choice[0]) : 0;
}

std::vector<FolderDrive> ReadFolderDrives(const std::function<std::wstring(unsigned entry)>& readEntry)
{
    std::vector<FolderDrive> drives;
    for (unsigned entry = 0;; ++entry) {
        const std::wstring value = readEntry(entry);
        if (value.empty())
            break;
        FolderDrive drive;
        if (ParseFolderDriveValue(value, drive))
            drives.push_back(drive);
    }
    std::stable_sort(drives.begin(), drives.end(),
                     [](const FolderDrive& a, const FolderDrive& b) { return a.letter < b.letter; });
    return drives;
}

std::wstring QuoteArgument(const std::wstring& argument)
{
    // Backslashes count only before a quote: double those, escape the quote.
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            quoted.append(backslashes * 2 + 1, L'\\');
        } else {
            quoted.append(backslashes, L'\\');
        }
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

std::wstring MapCommandLine(const std::wstring& substPath, const FolderDrive& drive)
{
    return QuoteArgument(substPath) + L" " + drive.letter + L": " + QuoteArgument(drive.folder);
}

std::wstring UnmapCommandLine(const std::wstring& substPath, wchar_t letter)
{
    return QuoteArgument(substPath) + L" " + letter + L": /D";
}

std::wstring LogonRunCommand(const std::wstring& programDir)
{
    return QuoteArgument(programDir + L"\\Quenzel.exe") + L" -x";
}

} // namespace quenzel
