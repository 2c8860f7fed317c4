#pragma once

#include <QString>

class RuntimeError;

// The one way a failure is reported: a message box, then the end of the program.
class FatalError
{
public:
    static constexpr int ExitStatus = 2;

    // Where the box cannot be shown, the report ends as end() does.
    static void report(const RuntimeError &error) noexcept;
    // One line on stderr and out, without allocating: for when memory has run out, or the
    // box itself failed.
    [[noreturn]] static void end(int number, const char *description) noexcept;
    static QString message(const RuntimeError &error);

    // True once a failure was reported; start-up checks it before the event loop runs.
    static bool reported() { return s_reported; }
    static void reset() { s_reported = false; }

    // Shows the box; tests put one in its place that fails.
    using Box = void (*)(const QString &message);
    static void setBox(Box box) { s_box = box; }

private:
    static void showBox(const QString &message);

    static inline bool s_reported = false;
    static inline Box s_box = &showBox;
};
