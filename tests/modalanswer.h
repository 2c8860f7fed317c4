#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QWidget>

#include <functional>

// Answers the next modal dialog of type Dialog once its own event loop runs. If none shows
// up in time, whatever is modal is closed so that the test fails instead of hanging.
template<typename Dialog>
void answerModal(std::function<void(Dialog *)> answer, int timeoutMs = 5000)
{
    auto *timer = new QTimer;
    const QDeadlineTimer deadline(timeoutMs);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *dialog = qobject_cast<Dialog *>(modal)) {
            timer->deleteLater();
            answer(dialog);
        } else if (deadline.hasExpired()) {
            timer->deleteLater();
            if (modal)
                modal->close();
        }
    });
    timer->start(10);
}
