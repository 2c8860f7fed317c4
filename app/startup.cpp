#include "app/startup.h"

#include "app/fatalerror.h"
#include "app/projectrecord.h"
#include "app/qttranslation.h"
#include "window/kleurtjeswindow.h"

#include <QApplication>
#include <QLocale>
#include <QProcessEnvironment>

#include <cstdio>

int Startup::run(int &argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!hasDisplay(QProcessEnvironment::systemEnvironment(), arguments)) {
        std::fputs("tintenwijzer: geen beeldscherm gevonden (DISPLAY en WAYLAND_DISPLAY zijn niet "
                   "gezet)\n",
            stderr);
        return NoDisplayStatus;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(ProjectRecord::name);
    QApplication::setApplicationDisplayName(ProjectRecord::name);
    QApplication::setApplicationVersion(ProjectRecord::version);
    QApplication::setDesktopFileName(QStringLiteral("tintenwijzer"));
    const QtTranslation translation { QLocale() };

    KleurtjesWindow window;
    window.load();
    if (FatalError::reported())
        return FatalError::ExitStatus;
    window.show();
    return QApplication::exec();
}

bool Startup::hasDisplay(const QProcessEnvironment &environment, const QStringList &arguments)
{
    if (!environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
        return true;
    if (arguments.contains(QStringLiteral("-platform"))
        || arguments.contains(QStringLiteral("--platform")))
        return true;
    return !environment.value(QStringLiteral("DISPLAY")).isEmpty()
        || !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
}
