#pragma once

#include <QStringList>

class QProcessEnvironment;

// The program's life from entry to exit: load the window, show it, run the event loop.
class Startup
{
public:
    static constexpr int NoDisplayStatus = 1;

    static int run(int &argc, char **argv);

    // Without a display Qt aborts with a core dump; we would rather say so and leave.
    static bool hasDisplay(const QProcessEnvironment &environment, const QStringList &arguments);
};
