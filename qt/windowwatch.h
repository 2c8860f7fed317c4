#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPointer>

class QWidget;

// Keeps the main window from vanishing under another program's hands on X11: a window destroyed
// from outside ends the program as "Afsluiten" does, and one unmapped from outside is mapped
// again, unless the window manager iconified it.
class WindowWatch : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    explicit WindowWatch(QWidget *window);
    ~WindowWatch() override;

    // False only on X11 without a window manager: nothing there places or activates a window.
    static bool windowManagerRuns();

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void remapIfWithdrawn();

    QPointer<QWidget> m_window;
    bool m_installed = false;
};
