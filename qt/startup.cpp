#include "qt/startup.h"

#include "qt/fatalerror.h"
#include "core/projectrecord.h"
#include "qt/qttranslation.h"
#include "qt/kleurtjeswindow.h"

#include <QApplication>
#include <QLocale>
#include <QProcessEnvironment>

#include <cstdio>
#include <cstdlib>

namespace {

QtMessageHandler s_previousHandler = nullptr;
QByteArray s_requestedDisplay;

// Qt aborts with a core dump when the display or platform it was given cannot be opened.
// While the application is being built, a fatal message can only mean that; Qt's warnings
// before it have told why, so we say what failed and leave.
void startupMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtFatalMsg) {
        s_previousHandler(type, context, text);
        return;
    }
    std::fprintf(stderr, "tintenwijzer: kan %s niet openen\n", s_requestedDisplay.constData());
    std::_Exit(Startup::NoDisplayStatus);
}

QByteArray requestedDisplay(const QStringList &arguments)
{
    const qsizetype option = arguments.indexOf(QStringLiteral("-platform"));
    if (option >= 0 && option + 1 < arguments.size())
        return "het platform " + arguments.at(option + 1).toLocal8Bit();
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return "het platform " + qgetenv("QT_QPA_PLATFORM");
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return "het beeldscherm " + qgetenv("WAYLAND_DISPLAY");
    return "het beeldscherm " + qgetenv("DISPLAY");
}

} // namespace

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

    s_requestedDisplay = requestedDisplay(arguments);
    s_previousHandler = qInstallMessageHandler(startupMessageHandler);
    QApplication app(argc, argv);
    qInstallMessageHandler(s_previousHandler);
    QApplication::setApplicationName(QString::fromUtf8(ProjectRecord::name));
    QApplication::setApplicationDisplayName(QString::fromUtf8(ProjectRecord::name));
    QApplication::setApplicationVersion(QString::fromUtf8(ProjectRecord::version));
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
