#pragma once

#include <QString>
#include <stdexcept>

// A failure inside a handler. It carries the runtime's error number and text,
// and is turned into the fatal message at the handler's edge.
class RuntimeError : public std::runtime_error
{
public:
    enum Number {
        Overflow = 6,
        OutOfMemory = 7,
        TypeMismatch = 13,
        InternalError = 51,
        InvalidPropertyValue = 380,
    };

    RuntimeError(int number, const QString &description);

    static RuntimeError overflow();
    static RuntimeError typeMismatch();
    static RuntimeError invalidPropertyValue();

    int number() const { return m_number; }
    QString description() const { return QString::fromUtf8(what()); }

private:
    int m_number = 0;
};
