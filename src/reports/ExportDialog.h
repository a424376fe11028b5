#pragma once

#include "ExportSettings.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// Asks where to export a report to, which columns, whether a header row comes first and how
// many rows at most. Nothing of an earlier export is remembered.
class ExportDialog : public QDialog {
    Q_OBJECT
public:
    ExportDialog(const QString& title, const QStringList& columnTitles, QWidget* parent = nullptr);

    static QString defaultTitle();
    ExportSettings settings() const { return settings_; }

    QLineEdit* fileNameEdit() const { return fileName_; }
    QPushButton* browseButton() const { return browse_; }
    QCheckBox* exportAllBox() const { return exportAll_; }
    QListWidget* columnList() const { return columns_; }
    QCheckBox* headerBox() const { return header_; }
    QCheckBox* limitBox() const { return limit_; }
    QLineEdit* rowLimitEdit() const { return rowLimit_; }
    QPushButton* exportButton() const { return export_; }

public slots:
    void browse();
    // Reads the controls and closes with OK, or says what is wrong and stays open.
    void exportPressed();

private:
    void exportAllToggled(bool on);

    ExportSettings settings_;
    QLineEdit* fileName_;
    QPushButton* browse_;
    QCheckBox* exportAll_;
    QLabel* columnsLabel_;
    QListWidget* columns_;
    QCheckBox* header_;
    QCheckBox* limit_;
    QLineEdit* rowLimit_;
    QPushButton* export_;
};
