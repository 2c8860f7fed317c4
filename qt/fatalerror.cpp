#include "qt/fatalerror.h"

#include "core/projectrecord.h"
#include "core/runtimeerror.h"

#include <QCoreApplication>
#include <QMessageBox>

void FatalError::report(const RuntimeError &error)
{
    s_reported = true;

    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(ProjectRecord::name), message(error),
        QMessageBox::Ok);
    box.setObjectName(QStringLiteral("fatalError"));
    box.exec();

    // Leaves every running event loop, the modal ones included.
    QCoreApplication::exit(ExitStatus);
}

QString FatalError::message(const RuntimeError &error)
{
    return QString::fromStdString(error.fatalMessage());
}
