#pragma once

#include <QString>

struct ProjectRecord
{
    static inline const QString name = QStringLiteral("Tintenwijzer");
    static inline const QString version = QStringLiteral(TINTENWIJZER_VERSION);
};
