#pragma once

#include "ConfigurationImage.h"

#include <QDialog>

#include <array>

class Database;
class QLineEdit;

// The Common Messages editor: the ten canned texts the main window offers on its Common button.
// OK writes them without trailing blanks (and marks the database modified when that changed
// the image), Close writes nothing.
class CommonMessagesDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int MaxMessageLength = 33;

    explicit CommonMessagesDialog(Database& database, QWidget* parent = nullptr);

    QLineEdit* messageField(int index) const { return fields_[index]; }
    void accept() override;

private:
    Database& database_;
    std::array<QLineEdit*, ConfigurationImage::CommonMessageCount> fields_{};
};
