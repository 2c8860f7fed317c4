#pragma once

#include "qt/pick/screencolourpicker.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <optional>

class QDBusPendingCallWatcher;

// The desktop's own picker, through the Screenshot interface of the desktop portal: what works
// on Wayland, where no program may read the screen itself. Makes no connection to the session
// bus before the first pick.
class PortalPicker : public ScreenColourPicker
{
    Q_OBJECT

public:
    explicit PortalPicker(QObject *parent = nullptr);
    // On a bus of its own rather than the session bus.
    explicit PortalPicker(const QDBusConnection &bus, QObject *parent = nullptr);
    ~PortalPicker() override;

    void start() override;
    bool isActive() const override { return m_active; }

    // How long the desktop may take once asked, the user's own choosing included.
    void setTimeout(std::chrono::milliseconds timeout) { m_timer.setInterval(timeout); }

    // What the portal is told of the window that asks, on the given platform: the top-level
    // widget among the asker's owners.
    static QString parentWindow(const QObject *asker, QStringView platform);

private slots:
    // QtDBus connects signals of the bus by name only.
    void response(uint code, const QVariantMap &results);

private:
    void versionRead(QDBusPendingCallWatcher *watcher);
    void pickColorReturned(QDBusPendingCallWatcher *watcher);
    void giveUp();

    void listenTo(const QString &handle);
    void stopListening();
    void finish();
    void refuse(const QString &reason);

    std::optional<QDBusConnection> m_bus;
    QTimer m_timer;
    QElapsedTimer m_asked;
    QPointer<QDBusPendingCallWatcher> m_pending;
    QString m_handle;
    bool m_active = false;
};
