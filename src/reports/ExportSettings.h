#pragma once

#include <QList>
#include <QString>

// What the export dialog returns, and what the command line's report asks for.
struct ExportSettings {
    struct Column {
        QString title;
        bool ticked = true;
    };

    QString fileName;
    bool includeHeader = false;
    bool limitRows = false;
    int rowLimit = 0;
    bool exportAll = false;
    QList<Column> columns;

    static ExportSettings forColumns(const QStringList& titles)
    {
        ExportSettings settings;
        for (const QString& title : titles)
            settings.columns.append({title, true});
        return settings;
    }
};
