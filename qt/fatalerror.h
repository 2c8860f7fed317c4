#pragma once

#include <QString>

class RuntimeError;

// The one way a failure is reported: a message box, then the end of the program.
class FatalError
{
public:
    static constexpr int ExitStatus = 2;

    static void report(const RuntimeError &error);
    static QString message(const RuntimeError &error);

    // True once a failure was reported; start-up checks it before the event loop runs.
    static bool reported() { return s_reported; }
    static void reset() { s_reported = false; }

private:
    static inline bool s_reported = false;
};
