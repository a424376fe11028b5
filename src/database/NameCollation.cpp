#include "NameCollation.h"

#include <QCollator>
#include <QLocale>

namespace {

QCollator collatorFor(const QLocale& locale)
{
    // The C locale asks for no language at all, and Qt then compares code points; the common
    // order of the Latin letters is what such a user sees elsewhere.
    QCollator collator(locale.language() == QLocale::C ? QLocale(QLocale::English) : locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

} // namespace

int NameCollation::compare(const QString& a, const QString& b)
{
    // Opening a collator costs far more than a comparison; a sort makes thousands of them.
    thread_local QLocale locale;
    thread_local QCollator collator = collatorFor(locale);
    if (QLocale() != locale) {
        locale = QLocale();
        collator = collatorFor(locale);
    }
    return collator.compare(a, b);
}
