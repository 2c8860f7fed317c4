#pragma once

#include <QString>

// Leaves a text on the clipboard for after the program has ended. On X11 a clipboard manager,
// where one runs, saves it when Qt's clipboard goes at exit; where none runs, a keeper of our
// own serves it (ClipboardKeeper). On Wayland a client without the focus may not set the
// clipboard: wl-copy, where it is installed, does.
class ClipboardHandover
{
public:
    // xDisplay: the X display the program runs on. False, with why, where the text cannot stay.
    static bool leave(const QString &text, const QString &xDisplay, QString &why);
};
