#pragma once

#include <QString>

// The one order of names and other texts in every list and report, the command line's too: the
// user's own collation, without regard to case, so that "Álvaro" stands beside "Alba" and not
// after "Zoe" as its code points would put it.
class NameCollation {
public:
    // Negative, zero or positive as a sorts before, with or after b.
    static int compare(const QString& a, const QString& b);
};
