#include "base/setting_keys.h"

#include <cwchar>

namespace quenzel {

std::wstring KeyName(const SettingKey& key)
{
    return key.name ? std::wstring(key.name) : std::to_wstring(key.number);
}

std::wstring SetFlagsFileText(std::initializer_list<FlagSetting> flags)
{
    std::wstring text;
    for (auto flag = flags.begin(); flag != flags.end(); ++flag) {
        const wchar_t* section = flag->key.section;
        bool seen = false;
        for (auto before = flags.begin(); before != flag && !seen; ++before)
            seen = std::wcscmp(before->key.section, section) == 0;
        if (seen)
            continue;
        text += std::wstring(L"[") + section + L"]\r\n";
        for (auto member = flag; member != flags.end(); ++member)
            if (std::wcscmp(member->key.section, section) == 0)
                text += KeyName(member->key) + L"=1\r\n";
    }
    return text;
}

std::wstring NumberedSectionBlock(const NumberedSection<TextSetting>& section, const std::vector<std::wstring>& values)
{
    std::wstring block;
    for (unsigned i = 0; i < values.size(); ++i)
        block += KeyName(section[i].key) + L'=' + values[i] + L'\0';
    return block;
}

} // namespace quenzel
