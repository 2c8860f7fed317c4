#include "app/fatalerror.h"

#include "app/projectrecord.h"
#include "app/runtimeerror.h"

#include <QCoreApplication>
#include <QMessageBox>

void FatalError::report(const RuntimeError &error)
{
    s_reported = true;

    QMessageBox box(QMessageBox::Critical, ProjectRecord::name, message(error), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("fatalError"));
    box.exec();

    // Leaves every running event loop, the modal ones included.
    QCoreApplication::exit(ExitStatus);
}

QString FatalError::message(const RuntimeError &error)
{
    return QStringLiteral("Fout %1 tijdens het uitvoeren:\n\n%2")
        .arg(error.number())
        .arg(error.description());
}
