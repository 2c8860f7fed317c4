#pragma once

#include <QDeadlineTimer>
#include <QProcess>

#include <sys/prctl.h>

#include <csignal>

// An X server of the test's own at a given colour depth, gone with the object. -displayfd lets
// it pick a free display, so that parallel runs never collide. Without -noreset it would reset
// whenever its last client left, and a program connecting just then would be refused.
class XvfbServer
{
public:
    explicit XvfbServer(int depth)
    {
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_process.start(QStringLiteral("Xvfb"),
            QStringLiteral("-displayfd 1 -noreset -dpi 96 -nolisten tcp -screen 0 1024x768x%1")
                .arg(depth)
                .split(u' '));
        const QDeadlineTimer deadline(20000);
        while (!m_process.canReadLine() && m_process.waitForReadyRead(deadline.remainingTime())) { }
        const QByteArray number = m_process.readLine().trimmed();
        if (!number.isEmpty())
            name = QLatin1Char(':') + QString::fromLatin1(number);
    }

    // A server ended by a signal it can catch leaves no lock file behind.
    ~XvfbServer()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }

    // Empty when the server did not start.
    QString name;

private:
    QProcess m_process;
};
