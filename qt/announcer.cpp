#include "qt/announcer.h"

#include "qt/handlerguard.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <utility>

namespace {

// No widget: a notification the screen reader finds in the window, never one on screen.
class AccessibleAnnouncer : public QAccessibleObject
{
public:
    explicit AccessibleAnnouncer(Announcer *announcer)
        : QAccessibleObject(announcer)
    { }

    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(object()->parent());
    }
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::Notification; }

    QString text(QAccessible::Text type) const override
    {
        return type == QAccessible::Name ? announcer()->text() : QString();
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = !announcer()->isShown();
        return state;
    }

private:
    Announcer *announcer() const { return static_cast<Announcer *>(object()); }
};

QAccessibleInterface *accessibleAnnouncer(const QString &, QObject *object)
{
    auto *announcer = qobject_cast<Announcer *>(object);
    return announcer ? new AccessibleAnnouncer(announcer) : nullptr;
}

} // namespace

Announcer::Announcer(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    setObjectName(QStringLiteral("announcer"));
    [[maybe_unused]] static const bool installed
        = (QAccessible::installFactory(&accessibleAnnouncer), true);
}

void Announcer::announce(const QString &text)
{
    m_pending.clear();
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    m_text = text;
    QAccessibleAnnouncementEvent event(m_window, text);
    event.setPoliteness(QAccessible::AnnouncementPoliteness::Polite);
    QAccessible::updateAccessibility(&event);
#else
    // Hidden first, so that a text said just before is heard again.
    if (m_shown) {
        m_shown = false;
        QAccessibleEvent hidden(this, QAccessible::ObjectHide);
        QAccessible::updateAccessibility(&hidden);
    }
    m_text = text;
    QAccessibleEvent renamed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
    m_shown = true;
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
#endif
}

Announcer::~Announcer()
{
    QAccessible::removeActivationObserver(this);
}

void Announcer::announceOnceActive(const QString &text)
{
    m_pending = text;
    if (!m_window->isActiveWindow())
        m_window->installEventFilter(this);
    if (!QAccessible::isActive())
        QAccessible::installActivationObserver(this);
    announcePendingIfReady();
}

void Announcer::announcePendingIfReady()
{
    if (!m_pending.isEmpty() && m_window->isActiveWindow() && QAccessible::isActive())
        announce(std::exchange(m_pending, {}));
}

bool Announcer::eventFilter(QObject *watched, QEvent *event)
{
    guarded([this, watched, event] {
        if (watched != m_window || event->type() != QEvent::WindowActivate)
            return;
        m_window->removeEventFilter(this);
        // After the activation itself has been told.
        QTimer::singleShot(0, this, [this] { guarded([this] { announcePendingIfReady(); }); });
    });
    return QObject::eventFilter(watched, event);
}

void Announcer::accessibilityActiveChanged(bool active)
{
    if (!active)
        return;
    // Qt says it is active before its link to the screen reader is made, and walks its
    // observers as it does: the link is there, and the list free, on the next turn.
    QTimer::singleShot(0, this, [this] {
        guarded([this] {
            QAccessible::removeActivationObserver(this);
            announcePendingIfReady();
        });
    });
}
