#pragma once

// The program's life from entry to exit: load the window, show it, run the event loop.
class Startup
{
public:
    static int run(int &argc, char **argv);
};
