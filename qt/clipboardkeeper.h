#pragma once

#include <string_view>

// The detached process that keeps a text on the X CLIPBOARD after the program that put it
// there has ended, where no clipboard manager takes it over: it serves the text until another
// program takes the clipboard or the X server goes, and then ends. It is this same binary,
// started again as
//   tintenwijzer --klembordhouder DISPLAY TEXT
// with descriptor 3 on which it tells, by one byte, that it owns the clipboard.
class ClipboardKeeper
{
public:
    static constexpr std::string_view Argument = "--klembordhouder";
    static constexpr int ReadyDescriptor = 3;

    static bool isRun(int argc, char **argv);
    // Returns the exit status: 0 once the clipboard went to another program.
    static int run(int argc, char **argv);
};
