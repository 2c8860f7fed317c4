#include "qt/startoptions.h"

#include "core/colournumber.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Those of QApplication, QGuiApplication and the xcb platform, as Qt documents them.
constexpr CommandLine::ForeignOption QtOptions[] = {
    { "-display", true },
    { "-dograb" },
    { "-geometry", true },
    { "-icon", true },
    { "-name", true },
    { "-nograb" },
    { "-platform", true },
    { "-platformpluginpath", true },
    { "-platformtheme", true },
    { "-plugin", true },
    { "-qmljsdebugger" },
    { "-qwindowgeometry", true },
    { "-qwindowicon", true },
    { "-qwindowtitle", true },
    { "-reverse" },
    { "-session", true },
    { "-style", true },
    { "-stylesheet", true },
    { "-title", true },
    { "-widgetcount" },
};

void writeLine(std::FILE *stream, const std::string &text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

} // namespace

CommandLine::Result StartOptions::read(int argc, char **argv)
{
    // Taken as they come: UTF-8 under any locale this program is run in.
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    return CommandLine::parse(arguments, QtOptions);
}

int StartOptions::answer(const CommandLine::Result &result)
{
    const int status = result.exitStatus.value_or(0);
    writeLine(status == 0 ? stdout : stderr, result.message);
    return status;
}

void StartOptions::print(ColourValue value)
{
    writeLine(stdout, colourNumber(value));
}
