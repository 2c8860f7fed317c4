#pragma once

#include <windows.h>

#include <objbase.h>

#include <utility>

// Owns one handle of the Windows API and gives it back through Release when it goes.
template<typename Handle, typename Release> class UniqueHandle
{
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle)
        : m_handle(handle)
    { }
    UniqueHandle(UniqueHandle &&other) noexcept
        : m_handle(std::exchange(other.m_handle, nullptr))
    { }
    UniqueHandle &operator=(UniqueHandle &&other) noexcept
    {
        if (this != &other) {
            const UniqueHandle previous(
                std::exchange(m_handle, std::exchange(other.m_handle, nullptr)));
        }
        return *this;
    }
    ~UniqueHandle()
    {
        if (m_handle)
            Release {}(m_handle);
    }

    Handle get() const { return m_handle; }
    // For a handle the system has taken over or already destroyed.
    Handle release() { return std::exchange(m_handle, nullptr); }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    Handle m_handle = nullptr;
};

struct DeleteGdiObject
{
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};

struct DeleteDc
{
    void operator()(HDC dc) const { DeleteDC(dc); }
};

// Only for the DC of the whole screen, which GetDC(nullptr) gives.
struct ReleaseScreenDc
{
    void operator()(HDC dc) const { ReleaseDC(nullptr, dc); }
};

struct DestroyMenuHandle
{
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};

struct DestroyAccelerators
{
    void operator()(HACCEL table) const { DestroyAcceleratorTable(table); }
};

struct DestroyWindowHandle
{
    void operator()(HWND window) const { DestroyWindow(window); }
};

struct FreeGlobal
{
    void operator()(HGLOBAL memory) const { GlobalFree(memory); }
};

struct FreeLocal
{
    void operator()(void *memory) const { LocalFree(memory); }
};

// What the shell gives, such as a known folder's path.
struct FreeTaskMemory
{
    void operator()(void *memory) const { CoTaskMemFree(memory); }
};

struct CloseKernelHandle
{
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};

struct CloseFind
{
    void operator()(HANDLE search) const { FindClose(search); }
};

using Font = UniqueHandle<HFONT, DeleteGdiObject>;
using Bitmap = UniqueHandle<HBITMAP, DeleteGdiObject>;
using MemoryDc = UniqueHandle<HDC, DeleteDc>;
using ScreenDc = UniqueHandle<HDC, ReleaseScreenDc>;
using Menu = UniqueHandle<HMENU, DestroyMenuHandle>;
using AcceleratorTable = UniqueHandle<HACCEL, DestroyAccelerators>;
using WindowHandle = UniqueHandle<HWND, DestroyWindowHandle>;
using GlobalMemory = UniqueHandle<HGLOBAL, FreeGlobal>;
// What CommandLineToArgvW gives.
using LocalArguments = UniqueHandle<wchar_t **, FreeLocal>;
// What FormatMessageW allocates.
using LocalText = UniqueHandle<wchar_t *, FreeLocal>;
using TaskText = UniqueHandle<wchar_t *, FreeTaskMemory>;
// Not for the handles that fail as INVALID_HANDLE_VALUE: those must be made nullptr first.
using KernelHandle = UniqueHandle<HANDLE, CloseKernelHandle>;
// What FindFirstFileW gives, once it is not INVALID_HANDLE_VALUE.
using FindHandle = UniqueHandle<HANDLE, CloseFind>;
