#pragma once

#include <windows.h>

class RuntimeError;

// The one way a failure is reported: a message box, then the end of the program.
class FatalError
{
public:
    static constexpr int ExitStatus = 2;

    [[noreturn]] static void report(HWND owner, const RuntimeError &error) noexcept;
    // When even the report failed: leave without a word rather than hang or go on.
    [[noreturn]] static void exit() noexcept;
};
