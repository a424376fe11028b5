#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QLocale::Language Translations::languageFor(const QLocale& locale)
{
    return locale.language() == QLocale::Spanish ? QLocale::Spanish : QLocale::English;
}

QLocale::Language Translations::install(QCoreApplication& app, const QLocale& userLocale)
{
    const QLocale::Language language = languageFor(userLocale);
    QLocale::setDefault(QLocale(language));
    if (language != QLocale::Spanish)
        return language;

    auto* own = new QTranslator(&app);
    if (own->load(QStringLiteral(":/i18n/tavolux_es.qm")))
        QCoreApplication::installTranslator(own);
    auto* qt = new QTranslator(&app);
    if (qt->load(QStringLiteral("qtbase_es"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    return language;
}
