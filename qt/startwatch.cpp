#include "qt/startwatch.h"

#include "qt/displaycheck.h"

#include <cstdio>
#include <cstdlib>

StartWatch::StartWatch(const DisplayCheck &check)
{
    s_check = &check;
    s_missingPlugins.clear();
    s_previous = qInstallMessageHandler(handle);
}

StartWatch::~StartWatch()
{
    end();
}

void StartWatch::end()
{
    if (!s_check)
        return;
    qInstallMessageHandler(s_previous);
    s_check = nullptr;
}

void StartWatch::handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    // The one sign that a platform failed for want of its plugin, not of its display.
    const QString missing = QStringLiteral("Could not find the Qt platform plugin \"");
    if (qstrcmp(context.category, "qt.qpa.plugin") == 0 && text.startsWith(missing))
        s_missingPlugins << text.sliced(missing.size()).section(u'"', 0, 0);

    if (type != QtFatalMsg) {
        s_previous(type, context, text);
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(s_check->failure(s_missingPlugins)));
    std::_Exit(DisplayCheck::NoDisplayStatus);
}
