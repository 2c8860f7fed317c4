#pragma once

#include <QObject>
#include <QString>

class QWidget;

// What a screen reader is told to say: a colour just taken, or why one was refused. Until
// Qt can send announcements, the one thing a Linux screen reader says of its own accord is
// a notification that appears, so this is one, shown again with every new text.
class Announcer : public QObject
{
    Q_OBJECT

public:
    explicit Announcer(QWidget *window);

    void announce(const QString &text);
    // Said once the window is first active: earlier, the screen reader's own words about
    // the new window would cut it short.
    void announceOnceActive(const QString &text);

    QString text() const { return m_text; }
    bool isShown() const { return m_shown; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window = nullptr;
    QString m_text;
    QString m_pending;
    bool m_shown = false;
};
