#include "win32/standardhandles.h"

#include <windows.h>

namespace {

HANDLE nul()
{
    const HANDLE held = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_EXISTING, 0, nullptr);
    return held == INVALID_HANDLE_VALUE ? nullptr : held;
}

} // namespace

void StandardHandles::holdClosed()
{
    constexpr DWORD Standard[] = { STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE };
    for (const DWORD standard : Standard) {
        const HANDLE given = GetStdHandle(standard);
        if (!given || GetFileType(given) != FILE_TYPE_UNKNOWN)
            continue;
        // Held for the program's whole life, as the standard handles are.
        if (const HANDLE held = nul())
            SetStdHandle(standard, held);
    }
}

void StandardHandles::closeOutput()
{
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!output || output == INVALID_HANDLE_VALUE)
        return;
    const DWORD type = GetFileType(output);
    if (type != FILE_TYPE_DISK && type != FILE_TYPE_PIPE)
        return;
    // One handle for both, as 2>&1 gives: closing it would close standard error too, and a
    // handle made later could take its value.
    if (output == GetStdHandle(STD_ERROR_HANDLE))
        return;
    SetStdHandle(STD_OUTPUT_HANDLE, nul());
    CloseHandle(output);
}
