#pragma once

#include "core/colourvalue.h"

#include <QObject>
#include <QString>
#include <QStringView>

// Takes one colour from anywhere on the screen, without blocking the event loop: the
// program's own picker over a frozen copy of the screen, or the desktop portal's.
// Exactly one of the three signals follows each start().
class ScreenColourPicker : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Does nothing while a pick is under way.
    virtual void start() = 0;
    // Readies what the first start would otherwise do while the user waits, at a moment when
    // nothing else does.
    virtual void prepare() { }
    virtual bool isActive() const = 0;

signals:
    void picked(ColourValue value);
    // Why no colour could be taken, a short Dutch phrase, as a refused paste has. Another
    // picker may follow a refusal that came at once, but not one the user has waited for.
    void refused(const QString &reason, bool anotherMayTry = true);
    void cancelled();

protected:
    // A reason for refused(), worded as every picker words it.
    static QString refusal(QStringView why)
    {
        QString reason = QStringLiteral("Geen schermkleur: ");
        return reason.append(why);
    }
};
