#include "win32/clipboard.h"

#include "win32/uniquehandle.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

class OpenClipboardScope
{
public:
    // Another program may hold the clipboard for a moment, clipboard managers and Wine's
    // bridge to X among them; a tenth of a second of retries is not felt.
    explicit OpenClipboardScope(HWND owner)
    {
        for (int attempt = 0; attempt < 10 && !m_open; ++attempt) {
            if (attempt > 0)
                Sleep(10);
            m_open = OpenClipboard(owner);
        }
    }
    ~OpenClipboardScope()
    {
        if (m_open)
            CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope &) = delete;
    OpenClipboardScope &operator=(const OpenClipboardScope &) = delete;

    explicit operator bool() const { return m_open; }

private:
    bool m_open = false;
};

class GlobalLockScope
{
public:
    explicit GlobalLockScope(HGLOBAL memory)
        : m_memory(memory)
        , m_data(GlobalLock(memory))
    { }
    ~GlobalLockScope()
    {
        if (m_data)
            GlobalUnlock(m_memory);
    }
    GlobalLockScope(const GlobalLockScope &) = delete;
    GlobalLockScope &operator=(const GlobalLockScope &) = delete;

    const void *data() const { return m_data; }

private:
    HGLOBAL m_memory = nullptr;
    void *m_data = nullptr;
};

} // namespace

bool Clipboard::setText(HWND owner, std::wstring_view text)
{
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory)
        throw std::bad_alloc();
    auto *target = static_cast<wchar_t *>(GlobalLock(memory.get()));
    if (!target)
        throw std::bad_alloc();
    std::memcpy(target, text.data(), text.size() * sizeof(wchar_t));
    target[text.size()] = L'\0';
    GlobalUnlock(memory.get());

    const OpenClipboardScope clipboard(owner);
    if (!clipboard) {
        MessageBeep(MB_ICONWARNING);
        return false;
    }
    EmptyClipboard();
    // Once set, the clipboard owns the memory.
    if (!SetClipboardData(CF_UNICODETEXT, memory.get()))
        return false;
    memory.release();
    return true;
}

std::wstring Clipboard::text(HWND owner, std::size_t limit)
{
    const OpenClipboardScope clipboard(owner);
    if (!clipboard)
        return {};
    const HANDLE memory = GetClipboardData(CF_UNICODETEXT);
    if (!memory)
        return {};
    const GlobalLockScope locked(memory);
    if (!locked.data())
        return {};
    // Another program wrote the text: its block's size bounds the search for the terminator,
    // which may be missing.
    const std::size_t units = std::min<std::size_t>(GlobalSize(memory) / sizeof(wchar_t), limit);
    const auto *first = static_cast<const wchar_t *>(locked.data());
    return { first, std::find(first, first + units, L'\0') };
}
