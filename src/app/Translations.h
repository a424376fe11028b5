#pragma once

#include <QLocale>

class QCoreApplication;

// The program speaks English and Spanish. Spanish is chosen for every Spanish locale, whatever
// the country; English for everything else.
class Translations {
public:
    static QLocale::Language languageFor(const QLocale& locale);
    // Installs the program's Spanish catalogue and Qt's own when the language is Spanish, and
    // makes the language the default locale. Returns the language in force.
    static QLocale::Language install(QCoreApplication& app, const QLocale& userLocale);
};
