#pragma once

#include "core/colourvalue.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

// The program's own arguments, read the same way by every front end:
//   tintenwijzer [--pick [--copy]] [--print] [KLEUR]   and   tintenwijzer --recent | --help | --version
// KLEUR is any text ColourParser reads. The window system's options are left to it.
class CommandLine
{
public:
    static constexpr int UsageStatus = 2;

    // An option of the window system's that is passed over, as "-platform". "--platform" and
    // "-platform=VALUE" are passed over too; with takesValue, so is the argument after it.
    struct ForeignOption
    {
        std::string_view name;
        bool takesValue = false;
    };

    struct Result
    {
        // Set when the program ends at once, before it opens a window or looks for a display:
        // it writes message (UTF-8, no final newline) and exits with this status. For 0
        // (help, version) message goes to standard output, otherwise to standard error.
        std::optional<int> exitStatus;
        std::string message;

        // For a run: the colour to start with instead of white, whether to pick a colour from
        // the screen as soon as the window is shown, and whether to write the number of the
        // colour shown to standard output when the program ends.
        std::optional<ColourValue> startColour;
        bool pick = false;
        bool print = false;
        // With pick: the picked colour's number goes on the clipboard, and the program ends
        // without a window of its own.
        bool copy = false;

        // Instead of a run: write the recent colours to standard output, newest first, and
        // exit 0. Each front end knows where they are kept; no display is needed.
        bool recent = false;
    };

    // arguments are UTF-8 and leave out the program's own name.
    static Result parse(
        std::span<const std::string> arguments, std::span<const ForeignOption> foreign = {});

    static std::string helpText();
    static std::string versionText();
};
