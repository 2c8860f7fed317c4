#include "qt/scalecheck.h"

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

struct Limit
{
    const char *variable;
    double lowest;
    double highest;
    const char *range;

    bool allows(const QByteArray &text) const
    {
        bool ok = false;
        const double value = text.toDouble(&ok);
        return ok && std::isfinite(value) && value >= lowest && value <= highest;
    }
};

constexpr Limit Limits[] = {
    { "QT_SCALE_FACTOR", 0.25, 8, "0,25 tot 8" },
    { "QT_FONT_DPI", 24, 960, "24 tot 960" },
    // "2;1.5" or "HDMI-1=2;DP-1=1.5": each factor as QT_SCALE_FACTOR's.
    { "QT_SCREEN_SCALE_FACTORS", 0.25, 8, "0,25 tot 8" },
};

bool allowed(const Limit &limit, const QByteArray &value)
{
    const QList<QByteArray> factors = value.split(';');
    return std::all_of(factors.begin(), factors.end(), [&limit](const QByteArray &factor) {
        return limit.allows(factor.mid(factor.lastIndexOf('=') + 1));
    });
}

} // namespace

void ScaleCheck::sanitise()
{
    for (const Limit &limit : Limits) {
        if (qEnvironmentVariableIsEmpty(limit.variable))
            continue;
        if (allowed(limit, qgetenv(limit.variable)))
            continue;
        std::fprintf(
            stderr, "tintenwijzer: %s genegeerd: geen getal van %s\n", limit.variable, limit.range);
        qunsetenv(limit.variable);
    }
}
