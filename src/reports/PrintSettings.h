#pragma once

#include <QList>
#include <QString>

// What the print options dialog returns, and what the command line's print asks for.
struct PrintSettings {
    struct Column {
        QString title;
        bool ticked = true;
    };

    QString printerName; // a system printer; empty with pdfFile
    QString pdfFile;     // print to this PDF file instead of a printer
    QString header;
    int copies = 1;
    bool selectedOnly = false;
    bool pageNumbers = true;
    QList<Column> columns;

    QList<bool> chosenColumns() const
    {
        QList<bool> chosen;
        for (const Column& column : columns)
            chosen << column.ticked;
        return chosen;
    }
};
