#pragma once

#include "ExportSettings.h"
#include "PageHistoryEntry.h"
#include "PrintSettings.h"
#include "ReportContent.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <optional>

class PageHistory;
class PageHistoryModel;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The page history beside the main window: the pages every program of this user sent, newest
// first, searched and filtered by the history itself, with Export, Print and OK as the other
// reports have. It only reads the file, and shows a new page once it has been written.
class PageHistoryWindow : public QWidget {
    Q_OBJECT
public:
    // The search box waits this long after the last key before it searches.
    static constexpr int TypingPauseMs = 300;
    // Pages written one after another are shown together, at most this long after the first.
    static constexpr int RefreshPauseMs = 250;
    // The widest a column opens, in pixels.
    static constexpr int MaxColumnWidth = 420;

    // Reads the history at path; a history given (the one the console writes) refreshes the
    // list when it has written rows.
    explicit PageHistoryWindow(const QString& path, PageHistory* history = nullptr,
                               QWidget* parent = nullptr);
    // Its place is kept for the next time it opens.
    ~PageHistoryWindow() override;

    // Where the user left it last time, else beside taken.first() and clear of the other taken
    // frames.
    void placeBeside(const QList<QRect>& taken);

    PageHistoryModel* model() const { return model_; }
    QTableView* view() const { return view_; }
    QLineEdit* searchEdit() const { return search_; }
    QLineEdit* recipientEdit() const { return recipient_; }
    QCheckBox* fromBox() const { return fromOn_; }
    QDateEdit* fromEdit() const { return from_; }
    QCheckBox* toBox() const { return toOn_; }
    QDateEdit* toEdit() const { return to_; }
    QComboBox* outcomeList() const { return outcome_; }
    // "Pages: N", or what is wrong with the filter or the file.
    QLabel* countLabel() const { return count_; }
    QPushButton* exportButton() const { return export_; }
    QPushButton* printButton() const { return print_; }
    QPushButton* okButton() const { return ok_; }
    QDialog* runningDialog() const { return dialog_; }

    // What the filter controls ask for, or why they cannot be used.
    struct ReadFilter {
        std::optional<HistoryFilter> filter;
        QString problem;
    };
    ReadFilter readFilter() const;

    // What Export and Print do once their dialog has been answered; false when it failed (the
    // user has been told).
    bool exportTo(const ExportSettings& settings);
    bool print(const PrintSettings& settings);

public slots:
    // Searches with the controls as they stand now, without waiting for the typing pause.
    void applyFilters();
    // Reads the history again, keeping the filter, the order and the place in the list.
    void refresh();
    void exportPressed();
    void printPressed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showCount();
    void sortChosen(int column, Qt::SortOrder order);
    // The rows a print writes, in the order shown; none when the history could not be read.
    std::optional<QList<ReportRow>> printedRows(bool selectedOnly);

    PageHistoryModel* model_;
    QTableView* view_;
    QLineEdit* search_;
    QLineEdit* recipient_;
    QCheckBox* fromOn_;
    QDateEdit* from_;
    QCheckBox* toOn_;
    QDateEdit* to_;
    QComboBox* outcome_;
    QLabel* count_;
    QPushButton* export_;
    QPushButton* print_;
    QPushButton* ok_;
    QTimer typingPause_;
    QTimer refreshPause_;
    QString filterProblem_;
    QPointer<QDialog> dialog_;
};
