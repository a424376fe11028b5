#pragma once

#include "SettingsPage.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;

// Passwords, the Local ID length, "Send on enter" and the unit's start-up labels.
class GeneralPage : public SettingsPage {
    Q_OBJECT
public:
    explicit GeneralPage(Database& database, QWidget* parent = nullptr);

    bool apply() override;

    QLineEdit* maintenancePassword() const { return maintenance_; }
    QLineEdit* maintenanceConfirmation() const { return maintenanceAgain_; }
    QLineEdit* administratorPassword() const { return administrator_; }
    QLineEdit* administratorConfirmation() const { return administratorAgain_; }
    QSpinBox* localIdLengthBox() const { return localIdLength_; }
    // The text field of the Local ID length box, where it is typed and checked.
    QLineEdit* localIdLengthField() const;
    QCheckBox* sendOnEnterBox() const { return sendOnEnter_; }
    QLineEdit* screen1() const { return screen1_; }
    QLineEdit* screen2Line1() const { return screen2Line1_; }
    QLineEdit* screen2Line2() const { return screen2Line2_; }

private:
    bool refuse(QLineEdit* field, const QString& message);

    QLineEdit* maintenance_;
    QLineEdit* maintenanceAgain_;
    QLineEdit* administrator_;
    QLineEdit* administratorAgain_;
    QSpinBox* localIdLength_;
    QCheckBox* sendOnEnter_;
    QLineEdit* screen1_;
    QLineEdit* screen2Line1_;
    QLineEdit* screen2Line2_;
};
