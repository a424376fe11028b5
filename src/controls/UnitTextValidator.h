#pragma once

#include <QValidator>

class QLineEdit;

// Keeps a text field of the editors to what the unit can hold (UnitText, the rule the message box
// follows too): one line of Latin-1 without control characters. An edit that would bring in
// anything else, a paste included, is refused whole with a beep, leaving the text and the caret
// as they were.
class UnitTextValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;

    State validate(QString& input, int& position) const override;

    // Puts the rule on a field.
    static void guard(QLineEdit* field);
};
