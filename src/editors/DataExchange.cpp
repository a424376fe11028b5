#include "DataExchange.h"

#include "MessageBox.h"

#include <QLineEdit>
#include <QRegularExpression>

namespace {

std::optional<int> parsedInteger(const QString& text)
{
    // toInt alone would also take blanks around the digits; the field must hold a number only.
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+$"));
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!number.match(text).hasMatch() || !ok)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<int> DataExchange::integer(QLineEdit* field)
{
    if (refused_)
        return std::nullopt;
    const auto value = parsedInteger(field->text());
    if (!value)
        refuse(field, integerMessage());
    return value;
}

std::optional<int> DataExchange::integerIn(const QString& text, int min, int max)
{
    const auto value = parsedInteger(text);
    if (value && (*value < min || *value > max))
        return std::nullopt;
    return value;
}

std::optional<int> DataExchange::integer(QLineEdit* field, int min, int max)
{
    const auto value = integer(field);
    if (value && (*value < min || *value > max)) {
        refuse(field, integerRangeMessage(min, max));
        return std::nullopt;
    }
    return value;
}

std::optional<unsigned> DataExchange::unsignedInteger(QLineEdit* field, unsigned min, unsigned max)
{
    if (refused_)
        return std::nullopt;
    static const QRegularExpression number(QStringLiteral("^[+]?[0-9]+$"));
    const QString text = field->text();
    bool ok = false;
    const unsigned value = text.toUInt(&ok, 10);
    if (!number.match(text).hasMatch() || !ok) {
        refuse(field, positiveIntegerMessage());
        return std::nullopt;
    }
    if (value < min || value > max) {
        refuse(field, integerRangeMessage(static_cast<int>(min), static_cast<int>(max)));
        return std::nullopt;
    }
    return value;
}

std::optional<QString> DataExchange::text(QLineEdit* field, int maxLength)
{
    return text(field, field->text(), maxLength);
}

std::optional<QString> DataExchange::text(QWidget* field, const QString& value, int maxLength)
{
    if (refused_)
        return std::nullopt;
    if (value.size() > maxLength) {
        refuse(field, lengthMessage(maxLength));
        return std::nullopt;
    }
    return value;
}

bool DataExchange::edited(const QLineEdit* field, const QString& stored)
{
    return field->text() != stored.left(field->maxLength());
}

void DataExchange::refuse(QWidget* field, const QString& message)
{
    refused_ = true;
    MessageBox::warning(dialog_, message);
    field->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->selectAll();
}
