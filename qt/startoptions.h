#pragma once

#include "core/colourvalue.h"
#include "core/commandline.h"

// The command line as the Qt front end reads it: before QApplication, which needs a display,
// and passing over Qt's own options, which QApplication then takes from argv itself.
class StartOptions
{
public:
    static CommandLine::Result read(int argc, char **argv);

    // Writes the answer of a result that ends the program at once; returns its exit status.
    static int answer(const CommandLine::Result &result);

    // For --print: the number of the colour shown, on standard output. A number that cannot be
    // written is said on standard error instead, and false returned.
    static bool print(ColourValue value);

    // For --recent: the recent colours, newest first, one number a line on standard output;
    // returns the exit status.
    static int printRecent();

    static constexpr int PrintFailedStatus = 1;
    // --pick --print where the pick was cancelled or refused, or the window closed first.
    static constexpr int NothingPickedStatus = 1;
};
