#pragma once

#include <windows.h>

#include <string_view>

// The system clipboard, for text.
class Clipboard
{
public:
    // Puts text on the clipboard as CF_UNICODETEXT. When another program holds the clipboard
    // open, nothing is copied, as on a clipboard that is busy elsewhere.
    static void setText(HWND owner, std::wstring_view text);
};
