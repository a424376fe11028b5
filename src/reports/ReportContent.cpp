#include "ReportContent.h"

#include "ConfigurationImage.h"
#include "NameTable.h"
#include "PrintTable.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

QString translated(const char* text)
{
    return QCoreApplication::translate("Report", text);
}

QString nameOf(uint16_t localId, const NameTable& names)
{
    return names.contains(localId) ? names.name(localId) : QString::number(localId);
}

QString receiverTypeText(int type)
{
    switch (type) {
    case PagerRecord::Beeper:
        return translated(QT_TRANSLATE_NOOP("Report", "Beeper"));
    case PagerRecord::Numeric:
        return translated(QT_TRANSLATE_NOOP("Report", "Numeric"));
    case PagerRecord::AlphaNumeric:
        return translated(QT_TRANSLATE_NOOP("Report", "Alpha Numeric"));
    case PagerRecord::Voice:
        return translated(QT_TRANSLATE_NOOP("Report", "Voice"));
    case PagerRecord::GroupTone:
        return translated(QT_TRANSLATE_NOOP("Report", "Group Tone"));
    default:
        return translated(QT_TRANSLATE_NOOP("Report", "Coaster"));
    }
}

QString alarmTypeText(int type)
{
    switch (type) {
    case AlarmRecord::Disabled:
        return translated(QT_TRANSLATE_NOOP("Report", "Disabled"));
    case AlarmRecord::NormallyOpen:
        return translated(QT_TRANSLATE_NOOP("Report", "Normally Open"));
    case AlarmRecord::NormallyClosed:
        return translated(QT_TRANSLATE_NOOP("Report", "Normally Closed"));
    default:
        return translated(QT_TRANSLATE_NOOP("Report", "State Change"));
    }
}

QString targetText(uint16_t localId, const NameTable& names)
{
    return localId == ConfigurationImage::NoLocalId
               ? translated(QT_TRANSLATE_NOOP("Report", "None"))
               : nameOf(localId, names);
}

// Each report's own titles, untranslated.
struct ReportTitles {
    const char* window;
    const char* printHeader;
    const char* exportDialog;
};

ReportTitles titlesOf(ReportKind kind)
{
    switch (kind) {
    case ReportKind::Pagers:
        return {QT_TRANSLATE_NOOP("Report", "Pagers"),
                QT_TRANSLATE_NOOP("Report", "Contacts Report"),
                QT_TRANSLATE_NOOP("Report", "Export Contact Details to File")};
    case ReportKind::Groups:
        return {QT_TRANSLATE_NOOP("Report", "Groups"), QT_TRANSLATE_NOOP("Report", "Groups Report"),
                QT_TRANSLATE_NOOP("Report", "Export Groups to File")};
    case ReportKind::Alarms:
        break;
    }
    return {QT_TRANSLATE_NOOP("Report", "Alarms"), QT_TRANSLATE_NOOP("Report", "Alarms Report"),
            QT_TRANSLATE_NOOP("Report", "Export Alarms to File")};
}

ReportRow row(qint64 key, const QStringList& texts, QList<int> pictures)
{
    pictures.resize(texts.size(), -1);
    return {key, texts, texts, pictures};
}

} // namespace

namespace Report {

QList<ReportColumn> columns(ReportKind kind)
{
    switch (kind) {
    case ReportKind::Pagers:
        return {{translated(QT_TRANSLATE_NOOP("Report", "Name")), 150, SortKey::Text},
                {translated(QT_TRANSLATE_NOOP("Report", "Cap Code")), 130, SortKey::Number},
                {translated(QT_TRANSLATE_NOOP("Report", "Local ID")), 100, SortKey::Number},
                {translated(QT_TRANSLATE_NOOP("Report", "Receiver Type")), 100, SortKey::Text}};
    case ReportKind::Groups:
        return {{translated(QT_TRANSLATE_NOOP("Report", "Name")), 150, SortKey::Text},
                {translated(QT_TRANSLATE_NOOP("Report", "Local ID")), 100, SortKey::Number},
                {translated(QT_TRANSLATE_NOOP("Report", "Rotary")), 60, SortKey::Picture}};
    case ReportKind::Alarms:
        break;
    }
    // The input number ties a row to the alarm input that --selected and the editor name.
    return {{translated(QT_TRANSLATE_NOOP("Report", "Input")), 50, SortKey::Number},
            {translated(QT_TRANSLATE_NOOP("Report", "1st Pager")), 100, SortKey::Text},
            {translated(QT_TRANSLATE_NOOP("Report", "Type")), 110, SortKey::Text},
            {translated(QT_TRANSLATE_NOOP("Report", "Trigger Delay")), 80, SortKey::Number},
            {translated(QT_TRANSLATE_NOOP("Report", "Escalation")), 80, SortKey::Number},
            {translated(QT_TRANSLATE_NOOP("Report", "2nd Pager")), 100, SortKey::Text},
            {translated(QT_TRANSLATE_NOOP("Report", "Message")), 170, SortKey::Text}};
}

QStringList columnTitles(ReportKind kind)
{
    QStringList titles;
    for (const ReportColumn& column : columns(kind))
        titles << column.title;
    return titles;
}

QString windowTitle(ReportKind kind)
{
    return translated(titlesOf(kind).window);
}

QString printHeader(ReportKind kind)
{
    return translated(titlesOf(kind).printHeader);
}

QString exportTitle(ReportKind kind)
{
    return translated(titlesOf(kind).exportDialog);
}

QString exportFailureText(ReportKind kind)
{
    // The groups report has always said it this way, in every language.
    if (kind == ReportKind::Groups)
        return QStringLiteral("Couldn't open file for export!");
    return translated(QT_TRANSLATE_NOOP("Report", "Could not open file for export!"));
}

QList<ReportRow> rows(ReportKind kind, const ConfigurationImage& image, const NameTable& names)
{
    QList<ReportRow> result;
    switch (kind) {
    case ReportKind::Pagers:
        for (const int slot : image.listedPagerSlots()) {
            const ConstPagerRecord pager = image.pager(slot);
            const uint16_t id = pager.localId();
            result << row(id,
                          {nameOf(id, names), QString::number(pager.capcode()), QString::number(id),
                           receiverTypeText(pager.receiverType())},
                          {PagerPicture});
        }
        break;
    case ReportKind::Groups:
        for (const int slot : image.listedGroupSlots()) {
            const ConstGroupRecord group = image.group(slot);
            const uint16_t id = group.localId();
            ReportRow r = row(id, {nameOf(id, names), QString::number(id), QString()},
                              {GroupPicture, -1, group.isRotary() ? TickPicture : -1});
            r.written[2] = group.isRotary() ? QStringLiteral("Y") : QStringLiteral("N");
            result << r;
        }
        break;
    case ReportKind::Alarms:
        for (int index = 0; index < ConfigurationImage::AlarmCount; ++index) {
            const ConstAlarmRecord alarm = image.alarm(index);
            result << row(index + 1,
                          {QString::number(index + 1), targetText(alarm.firstTarget(), names),
                           alarmTypeText(alarm.inputType()), QString::number(alarm.delay()),
                           QString::number(alarm.escalation()),
                           targetText(alarm.secondTarget(), names), alarm.message()},
                          {});
        }
        break;
    }
    return result;
}

QList<ReportRow> listOrder(QList<ReportRow> rows, const QList<ReportColumn>& columns, int column,
                           bool ascending)
{
    auto byText = [](int c) {
        return [c](const ReportRow& a, const ReportRow& b) {
            return SortKey::compareTexts(a.shown.value(c), b.shown.value(c));
        };
    };
    const auto byName = byText(0);
    std::stable_sort(rows.begin(), rows.end(),
                     [&](const ReportRow& a, const ReportRow& b) { return byName(a, b) < 0; });
    if (column < 0 || column >= columns.size())
        return rows;
    auto compare = [&](const ReportRow& a, const ReportRow& b) {
        switch (columns[column].sort) {
        case SortKey::Picture:
            return SortKey::compareNumbers(a.pictures.value(column, -1),
                                           b.pictures.value(column, -1));
        case SortKey::Number:
            return SortKey::compareNumbers(SortKey::leadingNumber(a.shown.value(column)),
                                           SortKey::leadingNumber(b.shown.value(column)));
        case SortKey::Text:
            break;
        }
        return byText(column)(a, b);
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const ReportRow& a, const ReportRow& b) {
        const int order = compare(a, b);
        return ascending ? order < 0 : order > 0;
    });
    return rows;
}

void fillPrintTable(PrintTable& table, const QString& header, const QStringList& titles,
                    const QList<bool>& chosen, const QList<ReportRow>& rows)
{
    table.setTitle(header);
    table.clearColumns();
    const int titleRow = table.addRow();
    for (int column = 0; column < titles.size(); ++column) {
        if (!chosen.value(column))
            continue;
        table.addColumn(titles[column]);
        table.addCell(titleRow, titles[column].toUpper());
    }
    for (const ReportRow& reportRow : rows) {
        const int index = table.addRow();
        for (int column = 0; column < titles.size(); ++column)
            if (chosen.value(column))
                table.addCell(index, reportRow.written.value(column));
    }
}

} // namespace Report
