#include "app/runtimeerror.h"

RuntimeError::RuntimeError(int number, const QString &description)
    : std::runtime_error(description.toStdString())
    , m_number(number)
{ }

RuntimeError RuntimeError::overflow()
{
    return { Overflow, QStringLiteral("Overflow") };
}

RuntimeError RuntimeError::typeMismatch()
{
    return { TypeMismatch, QStringLiteral("Type mismatch") };
}

RuntimeError RuntimeError::invalidPropertyValue()
{
    return { InvalidPropertyValue, QStringLiteral("Invalid property value") };
}
