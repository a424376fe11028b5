#include "TsvExport.h"

#include "AtomicFile.h"

#include <algorithm>

namespace TsvExport {

namespace {

// A names file can hold any byte, and a TAB or a line break inside a cell would shift every
// cell after it into the wrong column or row.
QString cell(QString text)
{
    for (QChar& c : text) {
        switch (c.unicode()) {
        case u'\0':
        case u'\t':
        case u'\n':
        case u'\v':
        case u'\f':
        case u'\r':
        case 0x85:   // next line
        case 0x2028: // line separator
        case 0x2029: // paragraph separator
            c = u' ';
            break;
        default:
            break;
        }
    }
    return text;
}

RowSource listed(const QList<QStringList>& rows)
{
    return [&rows](const RowSink& take) {
        for (const QStringList& row : rows)
            if (!take(row))
                break;
        return true;
    };
}

} // namespace

std::optional<QByteArray> format(const ExportSettings& settings, const RowSource& rows)
{
    auto line = [&](auto textOf) {
        QStringList fields;
        for (int column = 0; column < settings.columns.size(); ++column)
            if (settings.columns[column].ticked)
                fields << cell(textOf(column));
        return fields.join(u'\t').toUtf8() + "\r\n";
    };
    QByteArray bytes;
    const bool anyTicked =
        std::any_of(settings.columns.begin(), settings.columns.end(),
                    [](const ExportSettings::Column& column) { return column.ticked; });
    if (settings.includeHeader && anyTicked)
        bytes += line([&](int column) { return settings.columns[column].title; });
    const qsizetype limit = settings.limitRows ? std::max(settings.rowLimit, 0) : -1;
    qsizetype written = 0;
    const bool read = rows([&](const QStringList& row) {
        if (written == limit)
            return false;
        bytes += line([&](int column) { return row.value(column); });
        ++written;
        return written != limit;
    });
    if (!read)
        return std::nullopt;
    return bytes;
}

QByteArray format(const ExportSettings& settings, const QList<QStringList>& rows)
{
    return *format(settings, listed(rows));
}

bool write(const ExportSettings& settings, const RowSource& rows, QString* error)
{
    if (settings.fileName.isEmpty()) {
        if (error)
            *error = QStringLiteral("no file name");
        return false;
    }
    const std::optional<QByteArray> bytes = format(settings, rows);
    if (!bytes) {
        if (error)
            *error = QStringLiteral("the rows could not be read");
        return false;
    }
    return AtomicFile::replace(settings.fileName, *bytes, error);
}

bool write(const ExportSettings& settings, const QList<QStringList>& rows, QString* error)
{
    return write(settings, listed(rows), error);
}

} // namespace TsvExport
