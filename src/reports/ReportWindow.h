#pragma once

#include "ExportSettings.h"
#include "PrintSettings.h"
#include "ReportContent.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>

class Database;
class QPushButton;
class SortableList;

// A report beside the main window: the pagers, groups or alarms as a sortable list, with
// Export, Print and OK. Its rows are a snapshot of the database until the next refresh.
class ReportWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int MinimumWidth = 450;
    static constexpr int MinimumHeight = 130;

    ReportWindow(ReportKind kind, const Database& database, QWidget* parent = nullptr);
    // Its place is kept for the next time this report opens.
    ~ReportWindow() override;

    // Where the user left this report last time, else beside taken.first() and clear of the
    // other taken frames (the main window and the coaster panel).
    void placeBeside(const QList<QRect>& taken);

    ReportKind kind() const { return kind_; }
    SortableList* list() const { return list_; }
    QPushButton* exportButton() const { return export_; }
    QPushButton* printButton() const { return print_; }
    QPushButton* okButton() const { return ok_; }
    // The export or print options dialog while it is up.
    QDialog* runningDialog() const { return dialog_; }

    // Rebuilds the rows from the database, back in first-column order, when they differ from
    // those shown.
    void refresh();
    // The rows in the list's on-screen order (only the selected ones when asked).
    QList<ReportRow> rowsOnScreen(bool selectedOnly = false) const;

    // What Export and Print do once their dialog has been answered; false when it failed (the
    // user has been told).
    bool exportTo(const ExportSettings& settings);
    bool print(const PrintSettings& settings);

public slots:
    void exportPressed();
    void printPressed();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void layoutControls();

    ReportKind kind_;
    const Database& database_;
    QList<ReportColumn> columns_;
    QHash<qint64, ReportRow> rows_;
    // The rows as the last refresh built them, in the database's order.
    QList<ReportRow> built_;
    SortableList* list_;
    QPushButton* export_;
    QPushButton* print_;
    QPushButton* ok_;
    QPointer<QDialog> dialog_;
};
