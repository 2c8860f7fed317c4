#include "qt/startup.h"

#include "core/projectrecord.h"
#include "qt/copypick.h"
#include "qt/displaycheck.h"
#include "qt/fatalerror.h"
#include "qt/kleurtjeswindow.h"
#include "qt/qttranslation.h"
#include "qt/scalecheck.h"
#include "qt/standardstreams.h"
#include "qt/startoptions.h"
#include "qt/startwatch.h"
#include "qt/windowwatch.h"

#include <QApplication>
#include <QLocale>
#include <QProcessEnvironment>

#include <cstdio>

namespace {

QStringList argumentList(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void nameApplication()
{
    QApplication::setApplicationName(QString::fromUtf8(ProjectRecord::name));
    QApplication::setApplicationDisplayName(QString::fromUtf8(ProjectRecord::name));
    QApplication::setApplicationVersion(QString::fromUtf8(ProjectRecord::version));
    QApplication::setDesktopFileName(QStringLiteral("tintenwijzer"));
}

} // namespace

int Startup::run(int &argc, char **argv)
{
    StandardStreams::holdClosed();
    // Help, version, the recent colours and mistakes are answered before anything looks for
    // a display.
    const CommandLine::Result options = StartOptions::read(argc, argv);
    if (options.exitStatus)
        return StartOptions::answer(options);
    if (options.recent)
        return StartOptions::printRecent();

    const DisplayCheck display(QProcessEnvironment::systemEnvironment(), argumentList(argc, argv));
    if (!display.found()) {
        std::fputs("tintenwijzer: geen beeldscherm gevonden (DISPLAY en WAYLAND_DISPLAY zijn niet "
                   "gezet)\n",
            stderr);
        return DisplayCheck::NoDisplayStatus;
    }
    ScaleCheck::sanitise();

    StartWatch watch(display);
    QApplication app(argc, argv);
    if (const QString problem = display.screenProblem(); !problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        return DisplayCheck::NoDisplayStatus;
    }
    nameApplication();
    const QtTranslation translation { QLocale() };
    // Nothing of the window is made: the picker shows as soon as the application exists.
    if (options.copy) {
        watch.end();
        return CopyPick(options.print, display.xDisplay()).exec();
    }

    KleurtjesWindow window;
    const WindowWatch windowWatch(&window);
    window.load(options.startColour);
    if (FatalError::reported())
        return FatalError::ExitStatus;
    // Together, --pick and --print are an eyedropper: the first pick ends the program.
    const bool eyedropper = options.pick && options.print;
    bool picked = false;
    if (eyedropper) {
        QObject::connect(&window, &KleurtjesWindow::pickEnded, &app,
            [&picked](bool taken, const QString &refusal) {
                if (!refusal.isEmpty())
                    std::fprintf(stderr, "tintenwijzer: %s\n", qPrintable(refusal));
                picked = taken;
                QApplication::exit(taken ? 0 : StartOptions::NothingPickedStatus);
            });
    }
    window.show();
    watch.end();
    if (options.pick)
        window.pickOnceActive();
    const int status = QApplication::exec();
    if (status != 0 || !options.print)
        return status;
    // A window closed before the pick took nothing either.
    if (eyedropper && !picked)
        return StartOptions::NothingPickedStatus;
    return StartOptions::print(window.colour()) ? 0 : StartOptions::PrintFailedStatus;
}
