#pragma once

#include <QAccessible>
#include <QObject>
#include <QString>

class QWidget;

// What a screen reader is told to say: a colour just taken, or why one was refused. Until
// Qt can send announcements, the one thing a Linux screen reader says of its own accord is
// a notification that appears, so this is one, shown again with every new text.
class Announcer : public QObject, private QAccessible::ActivationObserver
{
    Q_OBJECT

public:
    explicit Announcer(QWidget *window);
    ~Announcer() override;

    void announce(const QString &text);
    // Said once the window is first active: earlier, the screen reader's own words about
    // the new window would cut it short. Nor before Qt has reached the screen reader, which
    // it does only once the event loop runs, at times after the window is active.
    void announceOnceActive(const QString &text);

    QString text() const { return m_text; }
    bool isShown() const { return m_shown; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void accessibilityActiveChanged(bool active) override;
    void announcePendingIfReady();

    QWidget *m_window = nullptr;
    QString m_text;
    QString m_pending;
    bool m_shown = false;
};
