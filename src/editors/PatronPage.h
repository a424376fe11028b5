#pragma once

#include "SettingsPage.h"

#include <cstdint>

class QCheckBox;
class QLineEdit;

// The patron pagers (coasters): the cap codes that locate them, guard them against theft and
// address them all, and which rows the coaster panel shows.
class PatronPage : public SettingsPage {
    Q_OBJECT
public:
    explicit PatronPage(Database& database, QWidget* parent = nullptr);

    bool apply() override;

    // A cap code as the unit's own tools have always read one: leading blanks and a sign taken,
    // digits up to the first other character, 0 when there are none (so "12abc" is 12).
    static int64_t leadingNumber(const QString& text);

    QLineEdit* locateCapCodeField() const { return locateCapCode_; }
    QCheckBox* antiTheftEnabledBox() const { return antiTheftEnabled_; }
    QLineEdit* antiTheftCapCodeField() const { return antiTheftCapCode_; }
    QLineEdit* antiTheftIntervalField() const { return antiTheftInterval_; }
    QLineEdit* groupCapCodeField() const { return groupCapCode_; }
    QCheckBox* alertBox() const { return alert_; }
    QCheckBox* rangeBox() const { return range_; }
    QCheckBox* locateBox() const { return locate_; }

private:
    QLineEdit* locateCapCode_;
    QCheckBox* antiTheftEnabled_;
    QLineEdit* antiTheftCapCode_;
    QLineEdit* antiTheftInterval_;
    QLineEdit* groupCapCode_;
    QCheckBox* alert_;
    QCheckBox* range_;
    QCheckBox* locate_;
};
