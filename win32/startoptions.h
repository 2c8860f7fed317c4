#pragma once

#include "core/colourvalue.h"
#include "core/commandline.h"

#include <string>
#include <string_view>

// The command line as the Windows program reads it, and where its answers go. A windowed
// program has no console of its own: a line goes to the standard handle where the caller
// redirected it to a file or a pipe, otherwise to the console the program was started from.
class StartOptions
{
public:
    static CommandLine::Result read();

    // Writes the answer of a result that ends the program at once, in a message box where
    // there is no console; returns its exit status.
    static int answer(const CommandLine::Result &result);

    // For --print: the number of the colour shown; nothing where there is no console. Where
    // it cannot be written, says so on standard error or in a message box; returns the status.
    static int print(ColourValue value);
    // For --recent: lines, the list a number a line, as --help is answered; nothing for an
    // empty list. Where it cannot be written, says so as print() does; returns the status.
    static int printRecent(std::string_view lines);
    // A line "tintenwijzer: " and why, on standard error or in a message box.
    static void complain(std::string_view why);
    // A line on standard error where there is one: a warning the window does not stop for.
    static void warn(const std::string &line);

    static constexpr int PrintFailedStatus = 1;
    // --pick --print where the pick was cancelled or refused, or the window closed first.
    static constexpr int NothingPickedStatus = 1;
};
