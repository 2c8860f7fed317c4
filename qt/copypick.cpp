#include "qt/copypick.h"

#include "core/colournotation.h"
#include "core/recentstore.h"
#include "qt/clipboardhandover.h"
#include "qt/handlerguard.h"
#include "qt/pick/screencolourpicker.h"
#include "qt/pick/screenpickerfactory.h"
#include "qt/posixstatefolder.h"
#include "qt/standardstreams.h"
#include "qt/startoptions.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <utility>

CopyPick::CopyPick(bool print, QString xDisplay, QObject *parent)
    : QObject(parent)
    , m_picker(createScreenPicker(this))
    , m_print(print)
    , m_xDisplay(std::move(xDisplay))
{
    connect(m_picker, &ScreenColourPicker::picked, this,
        [this](ColourValue value) { guarded([this, value] { take(value); }); });
    connect(m_picker, &ScreenColourPicker::refused, this, [this](const QString &reason) {
        std::fprintf(stderr, "tintenwijzer: %s\n", qPrintable(reason));
        QCoreApplication::exit(StartOptions::NothingPickedStatus);
    });
    connect(m_picker, &ScreenColourPicker::cancelled, this,
        [] { QCoreApplication::exit(StartOptions::NothingPickedStatus); });
}

int CopyPick::exec()
{
    // From the loop: a picker that refuses at once would end the program before it ran.
    QTimer::singleShot(0, this, [this] { guarded([this] { m_picker->start(); }); });
    return QCoreApplication::exec();
}

void CopyPick::take(ColourValue value)
{
    int status = 0;
    if (m_print) {
        if (!StartOptions::print(value))
            status = StartOptions::PrintFailedStatus;
        // Whoever reads the number need not wait for the clipboard's handover.
        StandardStreams::closeOutput();
    }
    QString why;
    if (!ClipboardHandover::leave(
            QString::fromStdString(formatColour(value, Notation::Number)), m_xDisplay, why)) {
        std::fprintf(stderr, "tintenwijzer: %s\n", qPrintable(why));
        status = StartOptions::NothingPickedStatus;
    }
    // Last: where another copy holds the list, its end waits for it a moment.
    RecentStore(PosixStateFolder::forUser()).take(value);
    QCoreApplication::exit(status);
}
