#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QProcessEnvironment;

// What Qt will try to open, read from the environment and the arguments as Qt reads them.
// Qt aborts with a core dump when none of it opens; this lets start-up refuse beforehand
// where nothing is there, and say afterwards what was tried.
class DisplayCheck
{
public:
    // The exit status when no display or platform could be opened.
    static constexpr int NoDisplayStatus = 1;

    explicit DisplayCheck(const QProcessEnvironment &environment, const QStringList &arguments);

    // False when Qt would find no display to open at all.
    bool found() const { return m_found; }
    // The line for when every platform Qt tried failed; missingPlugins are the platforms for
    // which Qt found no plugin.
    QString failure(const QStringList &missingPlugins = {}) const;
    // Once the application exists: the line for a screen the window cannot be shown on, else
    // an empty string.
    QString screenProblem() const;
    // The X display Qt opens, where it opens one: from -display, else DISPLAY.
    QString xDisplay() const { return m_xDisplay; }

private:
    struct Attempt
    {
        QString platform;
        QString display;
    };

    static QString describe(const Attempt &attempt);

    QList<Attempt> m_attempts;
    QString m_xDisplay;
    bool m_found = false;
};
