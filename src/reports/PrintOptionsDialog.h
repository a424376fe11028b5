#pragma once

#include "PrintSettings.h"

#include <QDialog>

#include <functional>
#include <memory>

class PrintTable;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPrintPreviewDialog;
class QPrinter;
class QPushButton;

// Asks where and how to print a report: the system's printers, or a PDF file for a machine
// without one; the header, the columns, the copies and whether only the selected rows go. The
// preview shows the pages the print would give.
class PrintOptionsDialog : public QDialog {
    Q_OBJECT
public:
    // Fills a print table as the report would print it with the given settings.
    using TableSource = std::function<void(PrintTable&, const PrintSettings&)>;

    PrintOptionsDialog(const QString& header, const QStringList& columnTitles, bool hasSelection,
                       TableSource source, QWidget* parent = nullptr);
    ~PrintOptionsDialog() override;

    static QString pdfChoiceText();
    PrintSettings settings() const { return settings_; }

    QComboBox* printerList() const { return printers_; }
    QLineEdit* headerEdit() const { return header_; }
    QListWidget* columnList() const { return columns_; }
    QLineEdit* copiesEdit() const { return copies_; }
    QCheckBox* selectedOnlyBox() const { return selectedOnly_; }
    QPushButton* previewButton() const { return preview_; }
    QPushButton* printButton() const { return print_; }

    // The preview of the pages as the controls stand now; the caller shows and deletes it.
    QPrintPreviewDialog* createPreview();

public slots:
    // Checks the choice and closes with OK, or says what is wrong and stays open.
    void printPressed();
    void previewPressed();

private:
    bool pdfChosen() const;
    // The controls' values; false (and the focus on the culprit) when they cannot be used.
    bool readControls(PrintSettings& settings);

    TableSource source_;
    std::unique_ptr<QPrinter> previewPrinter_;
    PrintSettings settings_;
    QComboBox* printers_;
    QLineEdit* header_;
    QListWidget* columns_;
    QLineEdit* copies_;
    QCheckBox* selectedOnly_;
    QPushButton* preview_;
    QPushButton* print_;
};
