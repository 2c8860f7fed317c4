#pragma once

#include "core/colourvalue.h"

#include <QObject>
#include <QString>

class ScreenColourPicker;

// tintenwijzer --pick --copy: the screen picker alone, without the window. The colour picked
// goes on the clipboard, as Ctrl+C in the window copies it, and into the recent colours.
class CopyPick : public QObject
{
    Q_OBJECT

public:
    // With print, the number goes to standard output as well, which is then closed at once.
    explicit CopyPick(bool print, QString xDisplay, QObject *parent = nullptr);

    // Picks and returns the exit status: 0 once the number is on the clipboard.
    int exec();

private:
    void take(ColourValue value);

    ScreenColourPicker *m_picker = nullptr;
    bool m_print = false;
    QString m_xDisplay;
};
