#pragma once

#include "ConfigurationImage.h"

#include <QDialog>

#include <array>

class Database;
class QCheckBox;
class QComboBox;
class QLineEdit;

// The Alarms editor: the four alarm inputs side by side, one row each. It edits its controls
// only; OK writes the four records (and marks the database modified when that changed them),
// Cancel writes nothing.
class AlarmsDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int MaxDelay = 999;
    static constexpr int MaxEscalation = 9999;
    static constexpr int MaxMessageLength = 20;

    struct Row {
        QComboBox* type;
        QComboBox* firstTarget;
        QLineEdit* delay;
        QLineEdit* escalation;
        QComboBox* secondTarget;
        QComboBox* tone;
        QLineEdit* message;
        QCheckBox* sendReset;
    };

    explicit AlarmsDialog(Database& database, QWidget* parent = nullptr);

    const Row& row(int index) const { return rows_[index]; }
    void accept() override;

private:
    void applyRowState(const Row& row);

    Database& database_;
    std::array<Row, ConfigurationImage::AlarmCount> rows_{};
};
