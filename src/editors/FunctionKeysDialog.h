#pragma once

#include "ConfigurationImage.h"

#include <QDialog>

#include <array>

class Database;
class QComboBox;
class QLineEdit;

// The Function Keys editor: F1 to F4 and Del F1 to Del F4, each with the pager or group it
// pages, a beep tone and a message kept exactly as typed. OK writes the eight records (and
// marks the database modified when that changed them), Close writes nothing.
class FunctionKeysDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int MaxMessageLength = 33;

    struct Row {
        QComboBox* target;
        QComboBox* tone;
        QLineEdit* message;
    };

    explicit FunctionKeysDialog(Database& database, QWidget* parent = nullptr);

    const Row& row(int index) const { return rows_[index]; }
    void accept() override;

private:
    Database& database_;
    std::array<Row, ConfigurationImage::FunctionKeyCount> rows_{};
};
