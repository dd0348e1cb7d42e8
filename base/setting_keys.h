// Every section and key of the settings file, with its type and default,
// named once. Stored files rely on these names and values: a name here is
// never changed. Pages read and write their values through the typed
// routines of base/settings.h and never spell a name themselves.
// Portable: no windows.h.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace quenzel {

// Where a value is stored: a named key, or the key numbered `number` of a
// section whose keys are "0", "1", "2" ...
struct SettingKey {
    const wchar_t* section;
    const wchar_t* name; // null in a numbered section
    unsigned number;
};

// The key's name as the file holds it: its name, or its number as decimal
// text.
std::wstring KeyName(const SettingKey& key);

// A flag is written "0" or "1" and read as set when its leading digits are
// not 0; a missing flag is not set.
struct FlagSetting {
    SettingKey key;
};
// An integer, written as decimal text; `byDefault` when missing or not a
// number.
struct IntSetting {
    SettingKey key;
    int byDefault;
};
// A text (a path), at most 32,767 characters; empty when missing.
struct TextSetting {
    SettingKey key;
};

// A section of numbered keys, one value of type Setting under each.
// `count` keys "0" to count - 1; 0 for a section that holds as many as
// were stored (its reading stops at the first key that is missing or empty).
template <typename Setting>
struct NumberedSection {
    const wchar_t* section;
    unsigned count;
    constexpr Setting operator[](unsigned n) const { return Setting{SettingKey{section, nullptr, n}}; }
};

// A settings file in which each of the given flags is set: a section head
// once per section, in the order the flags name them, then the section's
// "key=1" lines, each line ending in CR LF.
std::wstring SetFlagsFileText(std::initializer_list<FlagSetting> flags);

// A numbered section's values as one block for a whole-section write:
// "0=first", "1=second" ..., each ended by a null character.
std::wstring NumberedSectionBlock(const NumberedSection<TextSetting>& section, const std::vector<std::wstring>& values);

namespace setting {

inline constexpr wchar_t OptionsSection[] = L"OPTIONS";
inline constexpr wchar_t MainSection[] = L"MAIN";
inline constexpr wchar_t PasswordSection[] = L"PASSWORD";

// The window on the desktop (the Options menu).
inline constexpr FlagSetting OnTop{{OptionsSection, L"OnTop", 0}};
inline constexpr FlagSetting Magnet{{OptionsSection, L"Magnet", 0}};
// Set: the pages' fonts are ClearType-smoothed; else the system decides.
inline constexpr FlagSetting ClearFont{{OptionsSection, L"ClearFont", 0}};
// The window's opacity in percent; the transparency dialog offers 30 to 100.
inline constexpr IntSetting Transparent{{OptionsSection, L"Transparent", 0}, 95};

// The options page: ten check boxes stored under MAIN "0" to "9" (the
// strong format's box under a key of its own: MAIN "4" may hold what older
// copies wrote there and must not switch the format on), and the two
// output folders.
inline constexpr NumberedSection<FlagSetting> OutputOptions{MainSection, 10};
inline constexpr FlagSetting StrongFormat{{OptionsSection, L"StrongFormat", 0}};
inline constexpr TextSetting EncPath{{MainSection, L"EncPath", 0}};
inline constexpr TextSetting DecPath{{MainSection, L"DecPath", 0}};

// The key controls of the encryption pages: key-file mode and the key file.
inline constexpr FlagSetting KeyFileMode{{PasswordSection, L"Path", 0}};
inline constexpr TextSetting KeyFilePath{{PasswordSection, L"PathString", 0}};

// The shredder deletes the files it has shredded.
inline constexpr FlagSetting DeleteShredded{{OptionsSection, L"DeleteShredded", 0}};

// The folder drives ("T|X: folder" each), and whether they are made again
// at log-on.
inline constexpr NumberedSection<TextSetting> FolderDrives{L"FOLDERDRIVES", 0};
inline constexpr FlagSetting LogonStart{{OptionsSection, L"StartUp_FD", 0}};

// The nine slots: each one's path and kind (set: a folder).
inline constexpr NumberedSection<TextSetting> SlotPaths{L"OFTENPATHS", 9};
inline constexpr NumberedSection<FlagSetting> SlotKinds{L"OFTENRADIO", 9};

} // namespace setting

} // namespace quenzel
