#include "tests/ui/file_page_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace filepage {

const std::vector<int>& JobControls()
{
    static const std::vector<int> ids = JobControlsOf(EncryptButton, DecryptButton, ChooseButton, SourceField);
    return ids;
}

bool JobEnded(Started& s)
{
    return WaitUntil([&] { return AllEnabled(s, JobControls()); });
}

void SetNamingOptions(Started& s, const std::vector<int>& checked)
{
    for (int id = RecycleBox; id <= AddDecBox; ++id) {
        const bool on = std::find(checked.begin(), checked.end(), id) != checked.end();
        SendMessageW(s.app.Control(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

bool BoxChecked(Started& s, int id)
{
    return SendMessageW(s.app.Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

namespace {

// The result's icon (64 pixels at 96 dpi) is whole: no text lies over it.
bool IconWhole(HWND result)
{
    RECT icon{}, text{}, overlap{};
    return GetWindowRect(GetDlgItem(result, IDC_RESULT_ICON), &icon)
        && GetWindowRect(GetDlgItem(result, JobTextId), &text) && icon.right - icon.left >= 64
        && !IntersectRect(&overlap, &icon, &text);
}

} // namespace

FileJobRun RunFileJob(Started& s, int command, const std::wstring& destination)
{
    FileJobRun run;
    ConfirmJob(s, command, &run.proposed, destination);
    HWND result = WaitForDialogWith(s.app, ResultOutputId);
    EXPECT_NE(result, nullptr);
    if (!result)
        return run;
    run.resultOutput = FieldText(GetDlgItem(result, ResultOutputId));
    run.resultSource = FieldText(GetDlgItem(result, ResultSourceId));
    run.iconWhole = IconWhole(result);
    EXPECT_TRUE(Press(result, IDOK));
    EXPECT_TRUE(JobEnded(s));
    return run;
}

bool CloseResult(Started& s)
{
    HWND result = WaitForDialogWith(s.app, ResultOutputId);
    return result && Press(result, IDOK);
}

bool NoResultWithin(Started& s, Millis wait)
{
    return WaitForDialogWith(s.app, ResultOutputId, wait) == nullptr;
}

std::string KeyFileIni(const std::wstring& key, const std::string& more)
{
    return "[PASSWORD]\nPath=1\nPathString=" + Narrow(key) + "\n" + more;
}

std::string ReadAll(const std::wstring& path)
{
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, bytes)) << Narrow(path);
    return bytes;
}

std::string RandomLetters(size_t n, unsigned seed)
{
    std::string text = RandomBytes(n, seed);
    for (char& c : text)
        c = static_cast<char>('a' + static_cast<unsigned char>(c) % 26);
    return text;
}

bool AllZero(const std::wstring& path, long long size)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::vector<char> piece(8 << 20);
    DWORD got = 0;
    while (size >= 0 && ReadFile(file, piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr) && got > 0
           && std::all_of(piece.begin(), piece.begin() + got, [](char c) { return c == 0; }))
        size -= got;
    CloseHandle(file);
    return size == 0 && got == 0;
}

bool HasAttributes(const std::wstring& path, DWORD wanted)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & wanted) == wanted;
}

bool NoTemporaryIn(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*.tmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return true;
    FindClose(find);
    return false;
}

std::vector<std::wstring> NamesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found))
        if (found.cFileName[0] != L'.')
            names.push_back(found.cFileName);
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace filepage
