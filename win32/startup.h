#pragma once

#include <windows.h>

class KleurtjesWindow;

// The program's life from entry to exit: create the window hidden, load it, show it, then run
// the message loop until the window is gone.
class Startup
{
public:
    static int run(HINSTANCE instance, int showCommand) noexcept;

private:
    static int messageLoop(KleurtjesWindow &window);
    static int pickAndCopy(HINSTANCE instance, bool print);
};
