#pragma once

#include <stdexcept>
#include <string>

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

    RuntimeError(int number, const std::string &description);

    static RuntimeError overflow();
    static RuntimeError typeMismatch();
    static RuntimeError invalidPropertyValue();

    int number() const { return m_number; }
    std::string description() const { return what(); }

    // What the user reads before the program ends.
    std::string fatalMessage() const;

private:
    int m_number = 0;
};
