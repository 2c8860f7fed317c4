#pragma once

#include <QStringList>
#include <QtGlobal>

class DisplayCheck;

// While the platform starts, up to the window being shown, a fatal message from Qt means that
// it could not start: Qt would abort with a core dump. The watch says what was tried, in one
// line, and ends the program instead.
class StartWatch
{
public:
    explicit StartWatch(const DisplayCheck &check);
    ~StartWatch();

    StartWatch(const StartWatch &) = delete;
    StartWatch &operator=(const StartWatch &) = delete;

    // Hands Qt's messages back to where they went before.
    void end();

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text);

    static inline const DisplayCheck *s_check = nullptr;
    static inline QtMessageHandler s_previous = nullptr;
    static inline QStringList s_missingPlugins;
};
