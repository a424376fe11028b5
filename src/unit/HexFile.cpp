#include "HexFile.h"

#include <QIODevice>

#include <algorithm>
#include <cctype>

std::optional<QByteArray> HexFile::nextRecord(QIODevice& file, qint64 maxLength)
{
    for (;;) {
        if (file.atEnd())
            return QByteArray();
        QByteArray line = file.readLine(maxLength);
        if (line.isEmpty())
            return std::nullopt;
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        const bool blank = std::all_of(line.begin(), line.end(), [](char c) {
            return std::isspace(static_cast<unsigned char>(c)) != 0;
        });
        if (!blank)
            return line;
    }
}

QString HexFile::problem(QIODevice& file, qint64 maxLength)
{
    bool anyRecord = false;
    for (;;) {
        const std::optional<QByteArray> record = nextRecord(file, maxLength);
        if (!record)
            return file.errorString();
        if (record->isEmpty())
            break;
        // Binary files hold NUL bytes; no text does, and the loader could not be sent one.
        if (record->contains('\0')) {
            file.seek(0);
            return tr("it is not a text file (it holds a NUL byte)");
        }
        anyRecord = true;
    }
    file.seek(0);
    return anyRecord ? QString() : tr("it holds no records");
}
