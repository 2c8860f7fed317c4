#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QWidget>

#include <functional>

// Answers the next modal dialog of type Dialog once its own event loop runs. If none shows
// up in time, whatever is modal is closed so that the test fails instead of hanging.
// Lives on the test's stack, so that it can never answer a later test's dialog.
template<typename Dialog> class ModalAnswer
{
public:
    explicit ModalAnswer(std::function<void(Dialog *)> answer, int timeoutMs = 5000)
        : m_deadline(timeoutMs)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, answer = std::move(answer)] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *dialog = qobject_cast<Dialog *>(modal)) {
                m_timer.stop();
                answer(dialog);
            } else if (m_deadline.hasExpired()) {
                m_timer.stop();
                if (modal)
                    modal->close();
            }
        });
        m_timer.start(10);
    }

private:
    QTimer m_timer;
    QDeadlineTimer m_deadline;
};

// Ends the application's event loop with status 99 should the test not end it in time.
class LoopWatchdog
{
public:
    explicit LoopWatchdog(int timeoutMs = 10000)
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [] { QApplication::exit(99); });
        m_timer.start(timeoutMs);
    }

private:
    QTimer m_timer;
};
