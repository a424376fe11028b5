#include "PatronPage.h"

#include "DataExchange.h"
#include "Database.h"
#include "MessageBox.h"
#include "SettingsStore.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

constexpr int CapCodeDigits = 7;
constexpr unsigned LongestInterval = 999;

QLineEdit* capCodeField(uint32_t stored, bool digitsOnly)
{
    auto* field = new QLineEdit(QString::number(stored));
    field->setMaxLength(CapCodeDigits);
    if (digitsOnly)
        field->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    return field;
}

QCheckBox* checkBox(const QString& text, SettingsStore::Key key)
{
    auto* box = new QCheckBox(text);
    box->setChecked(SettingsStore::integer(key, 1) != 0);
    return box;
}

} // namespace

PatronPage::PatronPage(Database& database, QWidget* parent)
    : SettingsPage(database, parent)
{
    const UnitSettings settings = database_.image().settings();
    locateCapCode_ = capCodeField(settings.value(UnitSettings::locateCapCode), true);
    antiTheftEnabled_ = new QCheckBox(tr("Anti-Theft mode &enabled"));
    antiTheftEnabled_->setChecked(settings.value(UnitSettings::antiTheftEnabled) != 0);
    // This one has always taken any characters; apply reads the number they start with.
    antiTheftCapCode_ = capCodeField(settings.value(UnitSettings::antiTheftCapCode), false);
    antiTheftInterval_ =
        new QLineEdit(QString::number(settings.value(UnitSettings::antiTheftInterval)));
    groupCapCode_ = capCodeField(settings.value(UnitSettings::groupCapCode), true);
    alert_ = checkBox(tr("&Alert mode control"), SettingsStore::Alert);
    range_ = checkBox(tr("Anti-Theft in&dicator"), SettingsStore::Range);
    locate_ = checkBox(tr("Locate All &Pagers"), SettingsStore::Locate);

    auto* locate = new QFormLayout;
    locate->addRow(tr("&Locate coasters Cap Code"), locateCapCode_);
    auto* antiTheftFields = new QFormLayout;
    antiTheftFields->addRow(antiTheftEnabled_);
    antiTheftFields->addRow(tr("Anti-&Theft Cap Code"), antiTheftCapCode_);
    antiTheftFields->addRow(tr("Anti-Theft &Interval"), antiTheftInterval_);
    auto* antiTheft = new QGroupBox(tr("Anti-Theft Mode"));
    antiTheft->setLayout(antiTheftFields);
    auto* panelFields = new QFormLayout;
    panelFields->addRow(tr("&Group Cap Code"), groupCapCode_);
    for (QCheckBox* box : {alert_, range_, locate_})
        panelFields->addRow(box);
    auto* panel = new QGroupBox(tr("Coaster control panel display"));
    panel->setLayout(panelFields);
    auto* content = new QVBoxLayout;
    content->addLayout(locate);
    content->addWidget(antiTheft);
    content->addWidget(panel);
    content->addStretch();
    setContent(content);
}

int64_t PatronPage::leadingNumber(const QString& text)
{
    qsizetype at = 0;
    while (at < text.size() && text[at].isSpace())
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-'))
        negative = text[at++] == u'-';
    // Past this no cap code can lie; counting further would only overflow.
    constexpr int64_t Ceiling = int64_t{1} << 40;
    int64_t value = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at)
        value = std::min(Ceiling, value * 10 + (text[at].unicode() - u'0'));
    return negative ? -value : value;
}

bool PatronPage::apply()
{
    DataExchange exchange(this);
    const auto interval = exchange.unsignedInteger(antiTheftInterval_, 0, LongestInterval);
    if (!interval)
        return false;
    struct CapCode {
        QLineEdit* field;
        QString refusal;
        int64_t value = 0;
    };
    CapCode codes[] = {
        {antiTheftCapCode_, tr("Please enter a valid Anti Theft Cap Code")},
        {locateCapCode_, tr("Please enter a valid locate coasters Cap Code")},
        {groupCapCode_, tr("Please enter a valid Common Cap Code")},
    };
    for (CapCode& code : codes) {
        code.value = leadingNumber(code.field->text());
        if (code.value < ConfigurationImage::MinCapcode ||
            code.value > ConfigurationImage::MaxCapcode) {
            MessageBox::message(this, code.refusal);
            code.field->setFocus();
            return false;
        }
    }
    SettingsStore::setText(SettingsStore::CommonCapCode, groupCapCode_->text());
    SettingsStore::setInteger(SettingsStore::Alert, alert_->isChecked() ? 1 : 0);
    SettingsStore::setInteger(SettingsStore::Range, range_->isChecked() ? 1 : 0);
    SettingsStore::setInteger(SettingsStore::Locate, locate_->isChecked() ? 1 : 0);

    UnitSettings settings = database_.image().settings();
    settings.setValue(UnitSettings::antiTheftEnabled, antiTheftEnabled_->isChecked() ? 1 : 0);
    settings.setValue(UnitSettings::antiTheftInterval, *interval);
    settings.setValue(UnitSettings::antiTheftCapCode, static_cast<uint32_t>(codes[0].value));
    settings.setValue(UnitSettings::locateCapCode, static_cast<uint32_t>(codes[1].value));
    settings.setValue(UnitSettings::groupCapCode, static_cast<uint32_t>(codes[2].value));
    return true;
}
