#include "UnitTextValidator.h"

#include "MessageBox.h"
#include "UnitText.h"

#include <QLineEdit>

QValidator::State UnitTextValidator::validate(QString& input, int&) const
{
    return UnitText::fitsField(input) ? Acceptable : Invalid;
}

void UnitTextValidator::guard(QLineEdit* field)
{
    field->setValidator(new UnitTextValidator(field));
    QObject::connect(field, &QLineEdit::inputRejected, field, [] { MessageBox::beep(); });
}
