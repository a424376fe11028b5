#pragma once

#include "NameCollation.h"

#include <QString>

// How report cells compare when a column is sorted; the window's list and the command line's
// --sort share it, so that both put rows in the same order.
namespace SortKey {

enum Kind { Picture = 0, Text = 1, Number = 2 };

// The cell text read as a decimal integer from its leading digits, as atol does; 0 without any.
inline qint64 leadingNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    qsizetype end = 0;
    if (end < trimmed.size() && (trimmed[end] == u'-' || trimmed[end] == u'+'))
        ++end;
    while (end < trimmed.size() && trimmed[end].isDigit())
        ++end;
    bool ok = false;
    const qint64 value = trimmed.left(end).toLongLong(&ok);
    return ok ? value : 0;
}

inline int compareNumbers(qint64 a, qint64 b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

inline int compareTexts(const QString& a, const QString& b)
{
    return NameCollation::compare(a, b);
}

} // namespace SortKey
