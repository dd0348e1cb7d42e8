#include "controls/button_ex_access.h"

#include "base/lang_keys.h"
#include "base/language.h"
#include "controls/button_ex_data.h"
#include "controls/button_logic.h"

#include <oleacc.h>

#include <new>
#include <string>

namespace quenzel {

namespace {
// IAccessible's id from the header. MinGW-w64's 64-bit oleacc import library
// exports IID_IAccessible as a function: linked from there, it is the address
// of a jump stub, and every call given it fails with E_NOINTERFACE.
const IID& AccessibleId = __uuidof(IAccessible);

// Incoming calls of a screen reader arrive through COM on the button's
// thread, which needs an apartment; it is entered once and kept for the
// thread's life.
bool EnsureApartment()
{
    thread_local const bool entered = [] {
        const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        return SUCCEEDED(result) || result == RPC_E_CHANGED_MODE;
    }();
    return entered;
}

bool IsSelf(const VARIANT& child)
{
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

HRESULT ReturnText(const wchar_t* text, BSTR* out)
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    if (!text || !*text)
        return S_FALSE;
    *out = SysAllocString(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

// The button's own answers; location, navigation and hit testing come from
// the system's standard object for the window.
class ButtonExAccessible final : public IAccessible {
public:
    ButtonExAccessible(HWND button, IAccessible* standard)
        : button_(button)
        , standard_(standard)
    { }
    ButtonExAccessible(const ButtonExAccessible&) = delete;
    ButtonExAccessible& operator=(const ButtonExAccessible&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == AccessibleId) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch: screen readers call the interface directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    // IAccessible: the button's own answers.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        const ButtonExData* data = Record(child);
        if (!data)
            return Refusal(child);
        const std::wstring shown = StripMnemonicMarks(AccessibleNameSource(*data));
        return ReturnText(shown.c_str(), name);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override
    {
        const ButtonExData* data = Record(child);
        if (!data)
            return Refusal(child);
        // The tooltip says what the caption only names ("..." above all),
        // unless it already is the name.
        const bool tipIsName = data->tipText && AccessibleNameSource(*data) == data->tipText.get();
        return ReturnText(tipIsName ? nullptr : data->tipText.get(), description);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        if (!Record(child))
            return Refusal(child);
        if (!role)
            return E_POINTER;
        VariantInit(role);
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_PUSHBUTTON;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        const ButtonExData* data = Record(child);
        if (!data)
            return Refusal(child);
        if (!state)
            return E_POINTER;
        VariantInit(state);
        state->vt = VT_I4;
        state->lVal = AccessibleStateOf(button_, *data);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        if (!Record(child))
            return Refusal(child);
        return ReturnText(LangText(keys::PressAction), action);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        const ButtonExData* data = Record(child);
        if (!data)
            return Refusal(child);
        if (data->disabled)
            return E_FAIL;
        // Posted: the click may open a dialog, and the screen reader's call
        // must not wait for it to close.
        return PostMessageW(button_, BM_CLICK, 0, 0) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override
    {
        return standard_->get_accKeyboardShortcut(child, shortcut);
    }

    // IAccessible: the window's standard answers.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override { return standard_->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        return standard_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override
    {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override
    {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override { return standard_->get_accFocus(focus); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override
    {
        return standard_->get_accSelection(selection);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override
    {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override
    {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override
    {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override
    {
        return standard_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~ButtonExAccessible() { standard_->Release(); }

    // The record while the button lives and the call asks for the button itself.
    const ButtonExData* Record(const VARIANT& child) const { return IsSelf(child) ? ButtonExRecord(button_) : nullptr; }
    HRESULT Refusal(const VARIANT& child) const { return IsSelf(child) ? CO_E_OBJNOTCONNECTED : E_INVALIDARG; }

    LONG references_ = 1;
    HWND button_;
    IAccessible* standard_; // owned
};
} // namespace

const wchar_t* AccessibleNameSource(const ButtonExData& data)
{
    if (data.text && *data.text.get())
        return data.text.get();
    return data.tipText ? data.tipText.get() : L"";
}

LONG AccessibleStateOf(HWND button, const ButtonExData& data)
{
    LONG state = 0;
    if (data.disabled)
        state |= STATE_SYSTEM_UNAVAILABLE;
    else
        state |= STATE_SYSTEM_FOCUSABLE;
    if (data.focused)
        state |= STATE_SYSTEM_FOCUSED;
    if (data.pressed || data.latched)
        state |= STATE_SYSTEM_PRESSED;
    if (!IsWindowVisible(button))
        state |= STATE_SYSTEM_INVISIBLE;
    return state;
}

LRESULT AnswerButtonExObject(HWND button, WPARAM flags, LPARAM objectId)
{
    if (static_cast<LONG>(objectId) != OBJID_CLIENT || !EnsureApartment())
        return DefWindowProcW(button, WM_GETOBJECT, flags, objectId);
    IAccessible* standard = nullptr;
    if (FAILED(CreateStdAccessibleObject(button, OBJID_CLIENT, AccessibleId, reinterpret_cast<void**>(&standard))))
        return DefWindowProcW(button, WM_GETOBJECT, flags, objectId);
    auto* object = new (std::nothrow) ButtonExAccessible(button, standard);
    if (!object) {
        standard->Release();
        return DefWindowProcW(button, WM_GETOBJECT, flags, objectId);
    }
    const LRESULT result = LresultFromObject(AccessibleId, flags, object);
    object->Release();
    return result;
}

} // namespace quenzel
