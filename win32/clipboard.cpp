#include "win32/clipboard.h"

#include "win32/uniquehandle.h"

#include <cstring>
#include <new>

namespace {

class OpenClipboardScope
{
public:
    explicit OpenClipboardScope(HWND owner)
        : m_open(OpenClipboard(owner))
    { }
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

} // namespace

void Clipboard::setText(HWND owner, std::wstring_view text)
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
    if (!clipboard)
        return;
    EmptyClipboard();
    // Once set, the clipboard owns the memory.
    if (SetClipboardData(CF_UNICODETEXT, memory.get()))
        memory.release();
}
