#include "core/runtimeerror.h"

RuntimeError::RuntimeError(int number, const std::string &description)
    : std::runtime_error(description)
    , m_number(number)
{ }

RuntimeError RuntimeError::overflow()
{
    return { Overflow, "Overflow" };
}

RuntimeError RuntimeError::typeMismatch()
{
    return { TypeMismatch, "Type mismatch" };
}

RuntimeError RuntimeError::invalidPropertyValue()
{
    return { InvalidPropertyValue, "Invalid property value" };
}

std::string RuntimeError::fatalMessage() const
{
    return "Fout " + std::to_string(m_number) + " tijdens het uitvoeren:\n\n" + what();
}
