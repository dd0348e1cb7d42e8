// Control ids of the slot page (tab 3). Portable: no windows.h.
#pragma once

namespace quenzel {

inline constexpr int IDC_SLOT_BANNER = 1005;
inline constexpr int IDC_SLOT_FRAME = 1049;
inline constexpr int IDC_SLOT_GROUP = 1050;

// Nine slots of seven controls each: slot i's controls are the ids of
// slot 0 plus SlotIdStep * i.
inline constexpr int SlotCount = 9;
inline constexpr int SlotIdStep = 7;
inline constexpr int IDC_SLOT_FILE_RADIO_0 = 1073;
inline constexpr int IDC_SLOT_FOLDER_RADIO_0 = 1074;
inline constexpr int IDC_SLOT_FILE_ICON_0 = 1075;
inline constexpr int IDC_SLOT_FOLDER_ICON_0 = 1076;
inline constexpr int IDC_SLOT_PATH_0 = 1077;
inline constexpr int IDC_SLOT_BROWSE_0 = 1078;
inline constexpr int IDC_SLOT_USE_0 = 1079;
inline constexpr int IDC_SLOT_FIRST = IDC_SLOT_FILE_RADIO_0;
inline constexpr int IDC_SLOT_LAST = IDC_SLOT_USE_0 + SlotIdStep * (SlotCount - 1);

// The id of one control of slot `slot`, from the id of slot 0's.
constexpr int SlotControlId(int firstSlotId, int slot)
{
    return firstSlotId + SlotIdStep * slot;
}

} // namespace quenzel
