#pragma once

#include <QString>

struct ProjectRecord
{
    static inline const QString name = QStringLiteral("Tintenwijzer");
    static inline const QString version = QStringLiteral("1.00");
    static inline const QString description = QStringLiteral("Tintenwijzer");
};
