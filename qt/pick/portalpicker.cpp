#include "qt/pick/portalpicker.h"

#include "core/pickgeometry.h"
#include "qt/handlerguard.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QWidget>

using namespace std::chrono_literals;

namespace {

const QString Service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString DesktopPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString Screenshot = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString Request = QStringLiteral("org.freedesktop.portal.Request");
const QString Properties = QStringLiteral("org.freedesktop.DBus.Properties");
const char *const ResponseSlot = SLOT(response(uint, QVariantMap));

// PickColor needs version 2; version 1 offers only the screenshot.
constexpr uint PickColorVersion = 2;
// A portal that cannot say even this much is as good as none, and another picker may follow.
constexpr int VersionBoundMs = 2000;
// A failure this soon after the ask is the desktop's own: the user cannot have done anything yet.
constexpr qint64 PromptMs = 2000;

enum ResponseCode : uint { Success = 0, Cancelled = 1 };

QDBusMessage versionQuery()
{
    QDBusMessage query
        = QDBusMessage::createMethodCall(Service, DesktopPath, Properties, QStringLiteral("Get"));
    query << Screenshot << QStringLiteral("version");
    return query;
}

uint versionOf(const QVariant &value)
{
    bool ok = false;
    const uint version = value.toUInt(&ok);
    return ok ? version : 0;
}

// Unique within the process; a Request's path joins it to the bus name, unique on the bus.
QString nextToken()
{
    static uint count = 0;
    return QStringLiteral("tintenwijzer%1").arg(++count);
}

QString requestPath(const QString &uniqueName, const QString &token)
{
    QString sender = uniqueName.mid(uniqueName.startsWith(u':') ? 1 : 0);
    sender.replace(u'.', u'_');
    return DesktopPath + QStringLiteral("/request/") + sender + u'/' + token;
}

// The colour as the portal gives it, a struct of three doubles, each 0 to 1.
std::optional<ColourValue> colourOf(const QVariantMap &results)
{
    const QVariant value = results.value(QStringLiteral("color"));
    if (value.metaType() != QMetaType::fromType<QDBusArgument>())
        return std::nullopt;
    const auto argument = value.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("(ddd)"))
        return std::nullopt;
    double red = 0, green = 0, blue = 0;
    argument.beginStructure();
    argument >> red >> green >> blue;
    argument.endStructure();
    return PickGeometry::colourFromUnits(red, green, blue);
}

} // namespace

PortalPicker::PortalPicker(QObject *parent)
    : ScreenColourPicker(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(30s);
    connect(&m_timer, &QTimer::timeout, this, [this] { guarded([this] { giveUp(); }); });
}

PortalPicker::PortalPicker(const QDBusConnection &bus, QObject *parent)
    : PortalPicker(parent)
{
    m_bus = bus;
}

PortalPicker::~PortalPicker()
{
    if (m_active)
        stopListening();
}

void PortalPicker::start()
{
    if (m_active)
        return;
    m_active = true;
    // The session bus is first connected here: a start that never picks needs no bus.
    if (!m_bus)
        m_bus = QDBusConnection::sessionBus();
    if (!m_bus->isConnected()) {
        // Every answer comes from the event loop, this one too.
        QTimer::singleShot(
            0, this, [this] { guarded([this] { refuse(refusal(u"geen sessiebus")); }); });
        return;
    }
    // Not even the first pick waits on the bus: a portal that hangs must not hang the window.
    m_pending = new QDBusPendingCallWatcher(m_bus->asyncCall(versionQuery(), VersionBoundMs), this);
    connect(m_pending, &QDBusPendingCallWatcher::finished, this, &PortalPicker::versionRead);
}

void PortalPicker::versionRead(QDBusPendingCallWatcher *watcher)
{
    guarded([this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *watcher;
        if (reply.isError()) {
            const QDBusError::ErrorType error = reply.error().type();
            if (error == QDBusError::NoReply || error == QDBusError::Timeout)
                refuse(refusal(u"de desktopportal antwoordt niet"));
            else if (error == QDBusError::ServiceUnknown || error == QDBusError::NoServer)
                refuse(refusal(u"geen desktopportal"));
            else
                refuse(refusal(u"de desktopportal kan geen kleur kiezen"));
            return;
        }
        if (versionOf(reply.value().variant()) < PickColorVersion) {
            refuse(refusal(u"de desktopportal kan geen kleur kiezen"));
            return;
        }

        // The portal may answer before its call returns: listen first.
        const QString token = nextToken();
        listenTo(requestPath(m_bus->baseService(), token));
        QDBusMessage call = QDBusMessage::createMethodCall(
            Service, DesktopPath, Screenshot, QStringLiteral("PickColor"));
        call << parentWindow(this, QGuiApplication::platformName())
             << QVariantMap { { QStringLiteral("handle_token"), QVariant::fromValue(token) } };
        m_asked.start();
        m_timer.start();
        // Bounded as the whole wait is, or the bus's own bound would end it sooner as an error.
        m_pending = new QDBusPendingCallWatcher(m_bus->asyncCall(call, m_timer.interval()), this);
        connect(
            m_pending, &QDBusPendingCallWatcher::finished, this, &PortalPicker::pickColorReturned);
    });
}

void PortalPicker::pickColorReturned(QDBusPendingCallWatcher *watcher)
{
    guarded([this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        if (reply.isError()) {
            const QDBusError::ErrorType error = reply.error().type();
            if (error == QDBusError::NoReply || error == QDBusError::Timeout)
                giveUp();
            else
                refuse(refusal(u"de desktopportal weigert"));
            return;
        }
        // Portals older than the handle_token gave a path of their own choosing.
        const QString handle = reply.value().path();
        if (handle != m_handle) {
            stopListening();
            listenTo(handle);
        }
    });
}

void PortalPicker::response(uint code, const QVariantMap &results)
{
    guarded([this, code, &results] {
        if (!m_active)
            return;
        if (code == Cancelled) {
            finish();
            emit cancelled();
        } else if (code != Success) {
            refuse(refusal(u"de desktop brak het kiezen af"));
        } else if (const auto colour = colourOf(results)) {
            finish();
            emit picked(*colour);
        } else {
            refuse(refusal(u"de desktop gaf geen kleur"));
        }
    });
}

void PortalPicker::giveUp()
{
    // The desktop's picker may still be open: it should not outlive the refusal.
    if (!m_handle.isEmpty()) {
        m_bus->call(
            QDBusMessage::createMethodCall(Service, m_handle, Request, QStringLiteral("Close")),
            QDBus::NoBlock);
    }
    finish();
    // The user has waited already: no other picker should open long after.
    emit refused(refusal(u"de desktop antwoordt niet"), false);
}

void PortalPicker::listenTo(const QString &handle)
{
    m_handle = handle;
    m_bus->connect(Service, m_handle, Request, QStringLiteral("Response"), this, ResponseSlot);
}

void PortalPicker::stopListening()
{
    if (m_handle.isEmpty())
        return;
    m_bus->disconnect(Service, m_handle, Request, QStringLiteral("Response"), this, ResponseSlot);
    m_handle.clear();
}

// On X11 the portal can put its picker above the window that asked; elsewhere it needs a
// handle exported through a protocol of the compositor's, which Qt does not offer. The picker
// may be owned through another, as the fallback on X11 owns it.
QString PortalPicker::parentWindow(const QObject *asker, QStringView platform)
{
    if (platform != u"xcb")
        return {};
    for (const QObject *owner = asker; owner; owner = owner->parent()) {
        if (const auto *widget = qobject_cast<const QWidget *>(owner)) {
            // A window not yet shown has no X window, and should not get one for this.
            const WId window = widget->window()->internalWinId();
            return window ? QStringLiteral("x11:") + QString::number(window, 16) : QString();
        }
    }
    return {};
}

void PortalPicker::finish()
{
    m_timer.stop();
    stopListening();
    if (m_pending) {
        m_pending->disconnect(this);
        m_pending->deleteLater();
    }
    m_asked.invalidate();
    m_active = false;
}

void PortalPicker::refuse(const QString &reason)
{
    const bool prompt = !m_asked.isValid() || m_asked.elapsed() < PromptMs;
    finish();
    emit refused(reason, prompt);
}
