#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

// The system clipboard, for text.
class Clipboard
{
public:
    // Puts text on the clipboard as CF_UNICODETEXT; false where it could not. When another
    // program holds the clipboard open, nothing is copied, as on a clipboard that is busy
    // elsewhere.
    static bool setText(HWND owner, std::wstring_view text);
    // The start of the text on the clipboard, at most limit UTF-16 units of it, however long
    // it is. Empty when the clipboard holds no text or another program holds it open.
    static std::wstring text(HWND owner, std::size_t limit);
};
