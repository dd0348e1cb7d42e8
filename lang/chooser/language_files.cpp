#include "lang/chooser/language_files.h"

#include "base/handles.h"
#include "base/long_path.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace chooser {

namespace {
using quenzel::ExtendedLengthPath;
using quenzel::UniqueFile;
using quenzel::UniqueFind;

constexpr wchar_t LanguagePattern[] = L"\\*.lng";
constexpr wchar_t LanguageSection[] = L"LANGUAGE";
constexpr wchar_t LanguageNameKey[] = L"1";
constexpr DWORD LanguageNameLimit = 260;
constexpr wchar_t TempNamePrefix[] = L"\\~default-";
constexpr wchar_t TempNameSuffix[] = L".tmp";
constexpr int TempNameAttempts = 100;

// A new, empty file beside default.lng; it also proves the folder takes new files.
UniqueFile CreateTempFile(const std::wstring& langDir, std::wstring& tempPath)
{
    const std::wstring stem = langDir + TempNamePrefix + std::to_wstring(GetCurrentProcessId()) + L"-";
    for (int attempt = 0; attempt < TempNameAttempts; ++attempt) {
        tempPath = stem + std::to_wstring(attempt) + TempNameSuffix;
        UniqueFile file(CreateFileW(ExtendedLengthPath(tempPath).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return UniqueFile();
}

bool FolderExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(ExtendedLengthPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring DeclaredName(const std::wstring& path, const std::wstring& fileName)
{
    wchar_t name[LanguageNameLimit] = L"";
    GetPrivateProfileStringW(LanguageSection, LanguageNameKey, L"", name, LanguageNameLimit, path.c_str());
    return name[0] ? std::wstring(name) : fileName;
}

bool WriteWholeFile(HANDLE file, const std::string& bytes)
{
    DWORD written = 0;
    if (!bytes.empty()
        && (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)
            || written != bytes.size()))
        return false;
    return FlushFileBuffers(file) != FALSE;
}
} // namespace

ListResult ListLanguageFiles(const std::wstring& langDir, std::vector<LanguageFile>& files)
{
    files.clear();
    if (!FolderExists(langDir))
        return ListResult::FolderMissing;
    WIN32_FIND_DATAW found;
    UniqueFind find(FindFirstFileW(ExtendedLengthPath(langDir + LanguagePattern).c_str(), &found));
    if (find) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            const std::wstring fileName = found.cFileName;
            if (lstrcmpiW(fileName.c_str(), DefaultLanguageName) == 0)
                continue;
            LanguageFile file;
            file.path = langDir + L"\\" + fileName;
            // A file that cannot be read is no choice.
            if (!ReadWholeFile(file.path, file.content))
                continue;
            file.name = DeclaredName(file.path, fileName);
            files.push_back(std::move(file));
        } while (FindNextFileW(find.Get(), &found));
    }
    if (files.empty())
        return ListResult::NoFiles;
    std::sort(files.begin(), files.end(), [](const LanguageFile& a, const LanguageFile& b) {
        return lstrcmpiW(a.name.c_str(), b.name.c_str()) < 0;
    });
    return ListResult::Ok;
}

int FindCurrentLanguage(const std::vector<LanguageFile>& files, const std::string& current)
{
    for (size_t i = 0; i < files.size(); ++i)
        if (files[i].content == current)
            return static_cast<int>(i);
    return -1;
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes)
{
    UniqueFile file(CreateFileW(ExtendedLengthPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    LARGE_INTEGER size{};
    // Language files are small; anything huge is not one.
    constexpr LONGLONG LargestLanguageFile = 16 * 1024 * 1024;
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > LargestLanguageFile)
        return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (bytes.empty())
        return true;
    return ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size();
}

CopyResult MakeDefaultLanguage(const std::wstring& langDir, const std::string& content)
{
    std::wstring tempPath;
    UniqueFile temp = CreateTempFile(langDir, tempPath);
    if (!temp)
        return CopyResult::FolderNotWritable;
    // On failure the temporary file is removed as well as it can be; the
    // failure reported to the user is the write or the move itself.
    if (!WriteWholeFile(temp.Get(), content)) {
        temp.Reset();
        DeleteFileW(ExtendedLengthPath(tempPath).c_str());
        return CopyResult::WriteFailed;
    }
    temp.Reset();
    const std::wstring target = langDir + L"\\" + DefaultLanguageName;
    if (!MoveFileExW(ExtendedLengthPath(tempPath).c_str(), ExtendedLengthPath(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(ExtendedLengthPath(tempPath).c_str());
        return CopyResult::ReplaceFailed;
    }
    return CopyResult::Ok;
}

} // namespace chooser
