#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QString>

#include <sys/prctl.h>

#include <csignal>

// An X server of the test's own at a given colour depth, gone with the object.
class XvfbServer
{
public:
    explicit XvfbServer(int depth)
    {
        // -displayfd lets the server pick a free display, so parallel runs never collide.
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_process.start(QStringLiteral("Xvfb"),
            { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                QStringLiteral("0"), QStringLiteral("1024x768x%1").arg(depth),
                QStringLiteral("-dpi"), QStringLiteral("96"), QStringLiteral("-nolisten"),
                QStringLiteral("tcp") });
        const QDeadlineTimer deadline(20000);
        while (!m_process.canReadLine() && m_process.waitForReadyRead(deadline.remainingTime())) { }
        const QByteArray number = m_process.readLine().trimmed();
        if (!number.isEmpty())
            m_name = QLatin1Char(':') + QString::fromLatin1(number);
    }

    ~XvfbServer()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    XvfbServer(const XvfbServer &) = delete;
    XvfbServer &operator=(const XvfbServer &) = delete;

    // Empty when the server did not start.
    QString name() const { return m_name; }

private:
    QProcess m_process;
    QString m_name;
};
