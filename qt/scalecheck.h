#pragma once

// Qt takes its scale variables as they come: at a scale of 0 or NaN no window ever appears,
// and at 1000 it builds one of 32767 pixels square, at full load, that ignores being closed.
class ScaleCheck
{
public:
    // Drops each variable whose value lies outside what a screen can use, with a warning line;
    // to be called before the application exists.
    static void sanitise();
};
