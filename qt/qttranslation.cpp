#include "qt/qttranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

QtTranslation::QtTranslation(const QLocale &locale)
{
    if (m_translator.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        m_installed = QCoreApplication::installTranslator(&m_translator);
}

QtTranslation::~QtTranslation()
{
    if (m_installed)
        QCoreApplication::removeTranslator(&m_translator);
}
