#include "qt/scalecheck.h"

#include <QByteArray>

#include <cmath>
#include <cstdio>

namespace {

struct Limit
{
    const char *variable;
    double lowest;
    double highest;
    const char *range;
};

constexpr Limit Limits[] = {
    { "QT_SCALE_FACTOR", 0.25, 8, "0,25 tot 8" },
    { "QT_FONT_DPI", 24, 960, "24 tot 960" },
};

} // namespace

void ScaleCheck::sanitise()
{
    for (const Limit &limit : Limits) {
        if (qEnvironmentVariableIsEmpty(limit.variable))
            continue;
        bool ok = false;
        const double value = qgetenv(limit.variable).toDouble(&ok);
        if (ok && std::isfinite(value) && value >= limit.lowest && value <= limit.highest)
            continue;
        std::fprintf(
            stderr, "tintenwijzer: %s genegeerd: geen getal van %s\n", limit.variable, limit.range);
        qunsetenv(limit.variable);
    }
}
