#pragma once

#include <QCoreApplication>
#include <QString>

#include <optional>

class QLineEdit;
class QWidget;

// The editors' data exchange: takes the values of input fields the way every dialog checks them.
// A value that cannot be taken is refused with the standard message ("Please enter an
// integer." ...) through MessageBox, and the focus goes to its field (its text selected), so
// the user sees at once what to correct. Take the fields in the order they should be checked
// and stop at the first refusal:
//
//     DataExchange exchange(this);
//     const auto capcode = exchange.integer(capcodeEdit_, 0, 9999999);
//     const auto name = exchange.text(nameEdit_, 32);
//     if (!capcode || !name)
//         return;
//
// Once a field has been refused, the later calls on the same exchange refuse silently, so one
// operation shows one message. refuse() shows a dialog's own message the same way.
class DataExchange {
    Q_DECLARE_TR_FUNCTIONS(DataExchange)
public:
    explicit DataExchange(QWidget* dialog)
        : dialog_(dialog)
    {}

    // Optional sign and decimal digits that fit an int; anything else: "Please enter an integer."
    std::optional<int> integer(QLineEdit* field);
    // The same reading without a message: nothing when the text is no such number or lies
    // outside min..max.
    static std::optional<int> integerIn(const QString& text, int min, int max);
    // As integer(), and within min..max: "Please enter an integer between %1 and %2."
    std::optional<int> integer(QLineEdit* field, int min, int max);
    // Decimal digits that fit an unsigned int: "Please enter a positive integer.", and within
    // min..max: "Please enter an integer between %1 and %2."
    std::optional<unsigned> unsignedInteger(QLineEdit* field, unsigned min, unsigned max);
    // At most maxLength characters: "Please enter no more than %1 characters."
    std::optional<QString> text(QLineEdit* field, int maxLength);
    std::optional<QString> text(QWidget* field, const QString& value, int maxLength);

    // Whether a text field no longer shows `stored` as it was loaded. A stored text that fills
    // its record to the last byte, with no end marker, shows cut to the field's length; left as
    // it was, it must stay whole.
    static bool edited(const QLineEdit* field, const QString& stored);

    // Shows message as a warning with an OK button and puts the focus on field.
    void refuse(QWidget* field, const QString& message);
    bool refused() const { return refused_; }

    static QString integerMessage() { return tr("Please enter an integer."); }
    static QString positiveIntegerMessage() { return tr("Please enter a positive integer."); }
    static QString integerRangeMessage(int min, int max)
    {
        return tr("Please enter an integer between %1 and %2.").arg(min).arg(max);
    }
    static QString lengthMessage(int maxLength)
    {
        return tr("Please enter no more than %1 characters.").arg(maxLength);
    }

private:
    QWidget* dialog_;
    bool refused_ = false;
};
