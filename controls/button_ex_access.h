// What a screen reader learns of a ButtonEx: an MSAA object (IAccessible,
// which UI Automation reads through its proxy) with the button's name, role,
// state and default action, handed out for WM_GETOBJECT.
#pragma once

#include <windows.h>

namespace quenzel {

struct ButtonExData;

// WM_GETOBJECT of a ButtonEx: the object for OBJID_CLIENT, else the
// default answer.
LRESULT AnswerButtonExObject(HWND button, WPARAM flags, LPARAM objectId);

// The name a screen reader gives the button: its caption as shown, or
// without a caption its tooltip text.
const wchar_t* AccessibleNameSource(const ButtonExData& data);

// The MSAA state bits of the button as it is now.
LONG AccessibleStateOf(HWND button, const ButtonExData& data);

} // namespace quenzel
