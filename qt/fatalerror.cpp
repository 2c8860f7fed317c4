#include "qt/fatalerror.h"

#include "core/projectrecord.h"
#include "core/runtimeerror.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

void FatalError::report(const RuntimeError &error) noexcept
{
    s_reported = true;
    try {
        s_box(message(error));
    } catch (...) {
        end(error.number(), error.what());
    }

    // Leaves every running event loop, the modal ones included.
    QCoreApplication::exit(ExitStatus);
}

void FatalError::end(int number, const char *description) noexcept
{
    // stderr is unbuffered, so this needs no memory of its own; the exit skips destructors that
    // may run into whatever state the failure left behind.
    std::fprintf(stderr, "tintenwijzer: Fout %d tijdens het uitvoeren: %s\n", number, description);
    std::_Exit(ExitStatus);
}

QString FatalError::message(const RuntimeError &error)
{
    return QString::fromStdString(error.fatalMessage());
}

void FatalError::showBox(const QString &message)
{
    QMessageBox box(
        QMessageBox::Critical, QString::fromUtf8(ProjectRecord::name), message, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("fatalError"));
    box.exec();
}
