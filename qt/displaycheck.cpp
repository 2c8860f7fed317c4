#include "qt/displaycheck.h"

#include <QGuiApplication>
#include <QProcessEnvironment>
#include <QScreen>

#include <optional>

namespace {

// Below this many bits per pixel there is a palette or grey, and Qt paints the window black.
constexpr int MinimumDepth = 15;

// Qt takes "--name" for "-name"; the last one counts, and only with a value after it.
std::optional<QString> option(const QStringList &arguments, QLatin1StringView name)
{
    std::optional<QString> value;
    for (qsizetype i = 1; i + 1 < arguments.size(); ++i) {
        QStringView argument = arguments.at(i);
        if (argument.startsWith(QLatin1StringView("--")))
            argument = argument.mid(1);
        if (argument == name)
            value = arguments.at(++i);
    }
    return value;
}

// The platforms whose plugins Debian ships apart from Qt's own GUI library.
QString debianPackage(const QString &platform)
{
    if (platform.startsWith(QLatin1StringView("wayland")))
        return QStringLiteral("qt6-wayland");
    if (platform == QLatin1StringView("vnc"))
        return QStringLiteral("qt6-qpa-plugins");
    if (platform == QLatin1StringView("eglfs") || platform == QLatin1StringView("minimalegl"))
        return QStringLiteral("libqt6opengl6");
    return {};
}

QString listed(const QStringList &items)
{
    if (items.size() < 2)
        return items.join(QString());
    return items.first(items.size() - 1).join(QLatin1StringView(", ")) + QStringLiteral(" en ")
        + items.last();
}

} // namespace

DisplayCheck::DisplayCheck(const QProcessEnvironment &environment, const QStringList &arguments)
{
    m_xDisplay = option(arguments, QLatin1StringView("-display"))
                     .value_or(environment.value(QStringLiteral("DISPLAY")));
    const QString &xDisplay = m_xDisplay;
    const QString waylandDisplay = environment.value(QStringLiteral("WAYLAND_DISPLAY"));

    std::optional<QString> platforms = option(arguments, QLatin1StringView("-platform"));
    if (!platforms && !environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
        platforms = environment.value(QStringLiteral("QT_QPA_PLATFORM"));
    const bool forced = platforms.has_value();
    if (!forced) {
        // Qt's own order: Wayland first where the session has it, then X.
        platforms = QStringLiteral("xcb");
        if (environment.contains(QStringLiteral("WAYLAND_DISPLAY"))
            || environment.value(QStringLiteral("XDG_SESSION_TYPE")) == u"wayland")
            platforms->prepend(QStringLiteral("wayland;"));
    }

    for (const QString &entry : platforms->split(u';', Qt::SkipEmptyParts)) {
        const QString platform = entry.section(u':', 0, 0).toLower();
        if (platform == u"xcb")
            m_attempts.append({ platform, xDisplay });
        else if (platform.startsWith(u"wayland"))
            m_attempts.append({ platform,
                waylandDisplay.isEmpty() ? QStringLiteral("wayland-0") : waylandDisplay });
        else if (!platform.isEmpty())
            m_attempts.append({ platform, QString() });
    }

    m_found = forced || !xDisplay.isEmpty() || !waylandDisplay.isEmpty();
}

QString DisplayCheck::failure(const QStringList &missingPlugins) const
{
    QStringList clauses;
    QStringList failed;
    QStringList withoutDisplay;
    for (const Attempt &attempt : m_attempts) {
        const QString package = debianPackage(attempt.platform);
        if (!package.isEmpty() && missingPlugins.contains(attempt.platform))
            clauses << QStringLiteral("geen Qt-plug-in voor het platform %1 (Debian-pakket %2)")
                           .arg(attempt.platform, package);
        else if (attempt.platform == u"xcb" && attempt.display.isEmpty())
            withoutDisplay << describe(attempt);
        else
            failed << describe(attempt);
    }
    // X without a display is Qt's last resort: worth naming only when nothing else was tried.
    if (clauses.isEmpty() && failed.isEmpty())
        failed = withoutDisplay;
    if (!failed.isEmpty())
        clauses << QStringLiteral("kan %1 niet openen").arg(listed(failed));
    if (clauses.isEmpty())
        clauses << QStringLiteral("geen platform genoemd");
    return QStringLiteral("tintenwijzer: ") + clauses.join(QLatin1StringView("; "));
}

QString DisplayCheck::screenProblem() const
{
    Attempt opened { QGuiApplication::platformName(), QString() };
    for (const Attempt &attempt : m_attempts) {
        if (attempt.platform == opened.platform) {
            opened = attempt;
            break;
        }
    }
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QStringLiteral("tintenwijzer: kan %1 niet openen").arg(describe(opened));
    if (screen->depth() >= MinimumDepth)
        return {};
    return QStringLiteral("tintenwijzer: %1 kan met een kleurdiepte van %2 bits geen kleuren tonen")
        .arg(describe(opened))
        .arg(screen->depth());
}

QString DisplayCheck::describe(const Attempt &attempt)
{
    if (attempt.display.isEmpty())
        return QStringLiteral("het platform ") + attempt.platform;
    return QStringLiteral("het beeldscherm ") + attempt.display;
}
