#include "win32/standardhandles.h"

#include <windows.h>

void StandardHandles::holdClosed()
{
    constexpr DWORD Standard[] = { STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE };
    for (const DWORD standard : Standard) {
        const HANDLE given = GetStdHandle(standard);
        if (!given || GetFileType(given) != FILE_TYPE_UNKNOWN)
            continue;
        // Held for the program's whole life, as the standard handles are.
        const HANDLE held = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
            nullptr, OPEN_EXISTING, 0, nullptr);
        if (held != INVALID_HANDLE_VALUE)
            SetStdHandle(standard, held);
    }
}
