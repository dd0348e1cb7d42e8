// Small move-only owners for Win32 handles, heap blocks and GDI objects.
#pragma once

#include <windows.h>

#include <utility>

namespace quenzel {

// Owns one handle and closes it with Policy::Close when it goes.
template <typename Handle, typename Policy>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle)
        : handle_(handle)
    { }
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept
        : handle_(other.Release())
    { }
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    Handle Get() const { return handle_; }
    bool Valid() const { return Policy::IsValid(handle_); }
    explicit operator bool() const { return Valid(); }
    Handle Release() { return std::exchange(handle_, Policy::Invalid()); }
    void Reset(Handle handle = Policy::Invalid())
    {
        if (Policy::IsValid(handle_))
            Policy::Close(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = Policy::Invalid();
};

struct FileHandlePolicy {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct KernelHandlePolicy {
    static HANDLE Invalid() { return nullptr; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FindHandlePolicy {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
struct GdiObjectPolicy {
    static HGDIOBJ Invalid() { return nullptr; }
    static bool IsValid(HGDIOBJ h) { return h != nullptr; }
    static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct MemoryDCPolicy {
    static HDC Invalid() { return nullptr; }
    static bool IsValid(HDC h) { return h != nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};
struct RegKeyPolicy {
    static HKEY Invalid() { return nullptr; }
    static bool IsValid(HKEY h) { return h != nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct ModulePolicy {
    static HMODULE Invalid() { return nullptr; }
    static bool IsValid(HMODULE h) { return h != nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};

using UniqueFile = UniqueHandle<HANDLE, FileHandlePolicy>;           // CreateFileW
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandlePolicy>; // threads, processes, events
using UniqueFind = UniqueHandle<HANDLE, FindHandlePolicy>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, GdiObjectPolicy>;
using UniqueMemoryDC = UniqueHandle<HDC, MemoryDCPolicy>; // CreateCompatibleDC
using UniqueRegKey = UniqueHandle<HKEY, RegKeyPolicy>;
using UniqueModule = UniqueHandle<HMODULE, ModulePolicy>;

// A window's device context from GetDC, released with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND window)
        : window_(window)
        , dc_(GetDC(window))
    { }
    ~WindowDC()
    {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects a GDI object into a device context for the owner's lifetime.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object)
        : dc_(dc)
        , old_(SelectObject(dc, object))
    { }
    ~SelectedObject()
    {
        if (old_ && old_ != HGDI_ERROR)
            SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

} // namespace quenzel
