// The language files of the program's lang folder, and making one of them
// the default the program reads. No window code here.
#pragma once

#include <string>
#include <vector>

namespace chooser {

struct LanguageFile {
    std::wstring path;   // full path of the .lng file
    std::wstring name;   // the language's own name, or the file name when it has none
    std::string content; // the file's bytes
};

enum class ListResult { Ok, FolderMissing, NoFiles };

// Every *.lng file of `langDir` except default.lng, sorted by name.
ListResult ListLanguageFiles(const std::wstring& langDir, std::vector<LanguageFile>& files);

// The index of the file whose bytes equal `current`, or -1.
int FindCurrentLanguage(const std::vector<LanguageFile>& files, const std::string& current);

// Reads a whole file; false when it cannot be read.
bool ReadWholeFile(const std::wstring& path, std::string& bytes);

enum class CopyResult { Ok, FolderNotWritable, WriteFailed, ReplaceFailed };

// Writes `content` to a new temporary file in `langDir` and then moves it
// over default.lng in one step, so default.lng is never half written.
CopyResult MakeDefaultLanguage(const std::wstring& langDir, const std::string& content);

inline constexpr wchar_t DefaultLanguageName[] = L"default.lng";

} // namespace chooser
