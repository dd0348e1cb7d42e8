// Commands of the menu bar and the accelerators. Portable: no windows.h.
#pragma once

namespace quenzel {

// About (104) and Exit (105) are IDM_ABOUT and IDM_EXIT of res/app_resources.h,
// which the resource script shares.
inline constexpr int CMD_NEW_TEXT = 5000;
inline constexpr int CMD_OPEN_IN_NOTEPAD = 5001;
inline constexpr int CMD_HELP_CONTENTS = 5002;
inline constexpr int CMD_HELP_FAQ = 5003;
inline constexpr int CMD_HELP_TIPS = 5005;
inline constexpr int CMD_WEB_SITE = 5006;
inline constexpr int CMD_REPORT_MAIL = 5007;
inline constexpr int CMD_FIRST_PAGE = 5008; // 5008 to 5013: the six tabs
inline constexpr int CMD_LAST_PAGE = 5013;
inline constexpr int CMD_EDIT_WIN_INI = 5014;
inline constexpr int CMD_EDIT_SYSTEM_INI = 5015;
inline constexpr int CMD_EDIT_AUTOEXEC_BAT = 5016;
inline constexpr int CMD_EDIT_CONFIG_SYS = 5017;
inline constexpr int CMD_EDIT_AUTOEXEC_NT = 5018;
inline constexpr int CMD_EDIT_CONFIG_NT = 5019;
inline constexpr int CMD_MSINFO = 5020;
inline constexpr int CMD_MSCONFIG = 5021;
inline constexpr int CMD_CLEANMGR = 5022;
inline constexpr int CMD_DEFRAG = 5023;
inline constexpr int CMD_REGEDIT = 5024;
inline constexpr int CMD_RESTORE = 5028;
inline constexpr int CMD_LANGUAGE = 5029;
inline constexpr int CMD_ON_TOP = 5030;
inline constexpr int CMD_MAGNET = 5031;
inline constexpr int CMD_TRANSPARENCY = 5033;
inline constexpr int CMD_CLEAR_FONT = 5034;
// File menu: verify strong files without writing anything.
inline constexpr int CMD_VERIFY = 5040;

} // namespace quenzel
