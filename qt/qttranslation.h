#pragma once

#include <QTranslator>

class QLocale;

// Qt's own texts (those of the colour dialog) in the user's language, for as long as it lives.
// The program's own texts are Dutch whatever the locale.
class QtTranslation
{
public:
    explicit QtTranslation(const QLocale &locale);
    ~QtTranslation();

    QtTranslation(const QtTranslation &) = delete;
    QtTranslation &operator=(const QtTranslation &) = delete;

private:
    QTranslator m_translator;
    bool m_installed = false;
};
