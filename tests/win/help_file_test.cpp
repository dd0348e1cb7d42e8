// The built help files: each language names one that exists, its context
// map holds every context number the program asks for, pointing at the right
// topic, and the topics are in the compiled file.
#include "tests/support/ui_driver.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace {

using uitest::HostToWindowsPath;
using uitest::Narrow;

// Context numbers of the program: 1 contents and options, 2 and 3 the Help
// menu's tips and questions, 7 to 11 the tabs 1 to 5.
const std::map<int, std::string> ContextTopics = {
    {1, "options.html"}, {2, "howto.html"}, {3, "faq.html"},       {7, "file.html"},
    {8, "folder.html"},  {9, "slots.html"}, {10, "shredder.html"}, {11, "drives.html"},
};

constexpr DWORD LanguageTextLimit = 260;

// The names and lengths of the files inside a compiled help file, read from
// its directory chunks (ITSF header, ITSP directory, PMGL listing chunks).
struct ChmDirectory {
    bool valid = false;
    std::map<std::string, unsigned long long> lengths;
};

unsigned Le32(const std::string& b, size_t at)
{
    return at + 4 <= b.size() ? static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8
            | static_cast<unsigned char>(b[at + 2]) << 16
            | static_cast<unsigned>(static_cast<unsigned char>(b[at + 3])) << 24
                              : 0;
}

unsigned long long Le64(const std::string& b, size_t at)
{
    return Le32(b, at) | static_cast<unsigned long long>(Le32(b, at + 4)) << 32;
}

// The directory's variable-length numbers: 7 bits a byte, high bit = more.
bool EncInt(const std::string& b, size_t& at, size_t end, unsigned long long& value)
{
    value = 0;
    while (at < end) {
        const unsigned char c = static_cast<unsigned char>(b[at++]);
        value = value << 7 | (c & 0x7F);
        if (!(c & 0x80))
            return true;
    }
    return false;
}

ChmDirectory ReadChmDirectory(const std::string& chm)
{
    constexpr size_t SectionTable = 0x48; // offset and length of header section 1
    constexpr size_t ChunkHeader = 20;
    ChmDirectory dir;
    if (chm.compare(0, 4, "ITSF") != 0)
        return dir;
    const size_t itsp = static_cast<size_t>(Le64(chm, SectionTable));
    if (chm.compare(itsp, 4, "ITSP") != 0)
        return dir;
    const size_t chunksStart = itsp + Le32(chm, itsp + 8);
    const size_t chunkSize = Le32(chm, itsp + 0x10);
    const size_t chunkCount = Le32(chm, itsp + 0x2C);
    for (size_t i = 0; i < chunkCount; ++i) {
        const size_t chunk = chunksStart + i * chunkSize;
        if (chunk + chunkSize > chm.size())
            return dir;
        if (chm.compare(chunk, 4, "PMGL") != 0)
            continue;
        const size_t end = chunk + chunkSize - Le32(chm, chunk + 4);
        for (size_t at = chunk + ChunkHeader; at < end;) {
            unsigned long long nameLength = 0, section = 0, offset = 0, length = 0;
            if (!EncInt(chm, at, end, nameLength) || at + nameLength > end)
                return dir;
            const std::string name = chm.substr(at, static_cast<size_t>(nameLength));
            at += static_cast<size_t>(nameLength);
            if (!EncInt(chm, at, end, section) || !EncInt(chm, at, end, offset) || !EncInt(chm, at, end, length))
                return dir;
            dir.lengths[name] = length;
        }
    }
    dir.valid = true;
    return dir;
}

// The [MAP] and [ALIAS] sections of a help project: context number → topic.
std::map<int, std::string> ProjectContextMap(const std::string& project)
{
    std::map<std::string, int> numbers;
    std::map<std::string, std::string> aliases;
    std::istringstream lines(project);
    std::string line, section;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] == '[') {
            section = line;
            continue;
        }
        std::istringstream words(line);
        if (section == "[MAP]") {
            std::string define, name;
            int number = 0;
            if (words >> define >> name >> number && define == "#define")
                numbers[name] = number;
        } else if (section == "[ALIAS]") {
            const size_t equals = line.find('=');
            if (equals != std::string::npos)
                aliases[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    std::map<int, std::string> map;
    for (const auto& [name, number] : numbers)
        map[number] = aliases.count(name) ? aliases[name] : "<no alias " + name + ">";
    return map;
}

struct HelpCase {
    const wchar_t* languageFile;
    const char* project;         // source project, relative to help/
    const wchar_t* contentsName; // a name of its contents file, as the viewer shows it
};

constexpr UINT ViewerCodePage = 1252; // the help viewer reads contents files in the ANSI code page

// The value of "Name=" in a project's [OPTIONS], or empty.
std::string ProjectOption(const std::string& project, const std::string& name)
{
    std::istringstream lines(project);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.compare(0, name.size() + 1, name + "=") == 0)
            return line.substr(name.size() + 1);
    }
    return std::string();
}

std::wstring InCodePage(const std::string& bytes, UINT codePage)
{
    const int length = static_cast<int>(bytes.size());
    std::wstring text(bytes.size(), L'\0');
    const int made = MultiByteToWideChar(codePage, 0, bytes.data(), length, &text[0], length);
    text.resize(made > 0 ? static_cast<size_t>(made) : 0);
    return text;
}

class HelpFile : public ::testing::TestWithParam<HelpCase> {
protected:
    void SetUp() override
    {
        // The help file's name comes from the language file, as in the program.
        const std::wstring language = HostToWindowsPath(QUENZEL_LANG_DIR) + L"\\" + GetParam().languageFile;
        wchar_t name[LanguageTextLimit] = L"";
        GetPrivateProfileStringW(L"LANGUAGE", L"4", L"", name, LanguageTextLimit, language.c_str());
        ASSERT_NE(name[0], L'\0') << "no help file named in " << Narrow(language);
        const std::wstring path = HostToWindowsPath(QUENZEL_HELP_DIR) + L"\\" + name;
        ASSERT_TRUE(uitest::ReadFileBytes(path, chm_)) << Narrow(path) << " is missing";
        const std::wstring project =
            HostToWindowsPath(QUENZEL_HELP_SOURCE_DIR) + L"\\" + uitest::Widen(GetParam().project);
        ASSERT_TRUE(uitest::ReadFileBytes(project, project_)) << Narrow(project);
    }
    std::string chm_;
    std::string project_;
};

TEST_P(HelpFile, ContextNumbersNameTheRightTopics)
{
    EXPECT_EQ(ProjectContextMap(project_), ContextTopics);
}

// The viewer reads the contents in Windows-1252, not UTF-8: "Häufige Fragen"
// stored in UTF-8 would show as "HÃ¤ufige Fragen".
TEST_P(HelpFile, ContentsFileIsWrittenInTheViewersCodePage)
{
    const std::string contents = ProjectOption(project_, "Contents file");
    ASSERT_FALSE(contents.empty()) << "no contents file in " << GetParam().project;
    const std::string project = GetParam().project;
    const std::string path = project.substr(0, project.find('\\') + 1) + contents;
    std::string bytes;
    ASSERT_TRUE(uitest::ReadFileBytes(HostToWindowsPath(QUENZEL_HELP_SOURCE_DIR) + L"\\" + uitest::Widen(path), bytes))
        << path;
    EXPECT_NE(InCodePage(bytes, ViewerCodePage).find(GetParam().contentsName), std::wstring::npos)
        << path << " does not name " << Narrow(GetParam().contentsName) << " in Windows-1252";
}

TEST_P(HelpFile, CompiledFileHoldsTheContextMapAndItsTopics)
{
    const ChmDirectory dir = ReadChmDirectory(chm_);
    ASSERT_TRUE(dir.valid) << "not a compiled help file";
    // #IVB holds its byte count, then a (context number, topic name) pair of
    // two 32-bit values per context number; #STRINGS holds the names.
    ASSERT_EQ(dir.lengths.count("/#IVB"), 1u) << "no context map";
    EXPECT_EQ(dir.lengths.at("/#IVB"), 4 + 8 * ContextTopics.size());
    EXPECT_EQ(dir.lengths.count("/#STRINGS"), 1u);
    for (const auto& entry : ContextTopics) {
        const auto topic = dir.lengths.find("/" + entry.second);
        ASSERT_NE(topic, dir.lengths.end()) << entry.second << " is not in the help file";
        EXPECT_GT(topic->second, 0u) << entry.second;
    }
    EXPECT_EQ(dir.lengths.count("/security.html"), 1u);
    EXPECT_EQ(dir.lengths.count("/main-150.png"), 1u) << "the picture of the questions page";
}

INSTANTIATE_TEST_SUITE_P(Languages, HelpFile,
                         ::testing::Values(HelpCase{L"english.lng", "en\\quenzel.hhp", L"Frequently asked questions"},
                                           HelpCase{L"german.lng", "de\\quenzel-de.hhp", L"H\u00E4ufige Fragen"}),
                         [](const auto& test) {
                             const std::string name = Narrow(test.param.languageFile);
                             return name.substr(0, name.find('.'));
                         });

} // namespace
