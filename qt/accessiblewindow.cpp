#include "qt/accessiblewindow.h"

#include "qt/announcer.h"
#include "qt/kleurtjeswindow.h"

namespace {

QAccessibleInterface *accessibleWindow(const QString &, QObject *object)
{
    auto *window = qobject_cast<KleurtjesWindow *>(object);
    return window ? new AccessibleWindow(window) : nullptr;
}

} // namespace

AccessibleWindow::AccessibleWindow(QWidget *window)
    : QAccessibleWidget(window, QAccessible::Window)
{ }

void AccessibleWindow::installFactory()
{
    [[maybe_unused]] static const bool installed
        = (QAccessible::installFactory(&accessibleWindow), true);
}

int AccessibleWindow::childCount() const
{
    return QAccessibleWidget::childCount() + (announcer() ? 1 : 0);
}

QAccessibleInterface *AccessibleWindow::child(int index) const
{
    const int widgets = QAccessibleWidget::childCount();
    return index == widgets ? announcer() : QAccessibleWidget::child(index);
}

int AccessibleWindow::indexOfChild(const QAccessibleInterface *child) const
{
    if (child && child == announcer())
        return QAccessibleWidget::childCount();
    return QAccessibleWidget::indexOfChild(child);
}

QAccessibleInterface *AccessibleWindow::announcer() const
{
    auto *announcer = widget()->findChild<Announcer *>(QString(), Qt::FindDirectChildrenOnly);
    return announcer ? QAccessible::queryAccessibleInterface(announcer) : nullptr;
}
