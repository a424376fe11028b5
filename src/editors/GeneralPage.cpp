#include "GeneralPage.h"

#include "DataExchange.h"
#include "Database.h"
#include "MessageBox.h"
#include "SettingsStore.h"
#include "UnitTextValidator.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

#include <utility>

namespace {
constexpr int PasswordLength = 6;
constexpr int LabelLength = 16;
constexpr int MinLocalIdLength = 1;
constexpr int MaxLocalIdLength = 4;

QLineEdit* passwordField(const QString& stored)
{
    auto* field = new QLineEdit(stored);
    field->setEchoMode(QLineEdit::Password);
    field->setMaxLength(PasswordLength);
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    return field;
}

QLineEdit* labelField(const QString& stored)
{
    auto* field = new QLineEdit(stored);
    field->setMaxLength(LabelLength);
    UnitTextValidator::guard(field);
    return field;
}
} // namespace

GeneralPage::GeneralPage(Database& database, QWidget* parent)
    : SettingsPage(database, parent)
{
    const UnitSettings settings = database_.image().settings();
    maintenance_ = passwordField(settings.text(UnitSettings::maintenancePassword));
    maintenanceAgain_ = passwordField(maintenance_->text());
    administrator_ = passwordField(settings.text(UnitSettings::administratorPassword));
    administratorAgain_ = passwordField(administrator_->text());
    localIdLength_ = new QSpinBox;
    localIdLength_->setRange(MinLocalIdLength, MaxLocalIdLength);
    localIdLength_->setWrapping(true);
    // The stored length is shown as it is, even one the box would not offer.
    localIdLengthField()->setText(QString::number(settings.value(UnitSettings::localIdLength)));
    sendOnEnter_ = new QCheckBox(tr("Send on &enter"));
    sendOnEnter_->setChecked(SettingsStore::integer(SettingsStore::SendOnEnter, 0) != 0);
    screen1_ = labelField(database_.image().textAt(ConfigurationImage::startupLabel1));
    screen2Line1_ = labelField(database_.image().textAt(ConfigurationImage::startupLabel2Line1));
    screen2Line2_ = labelField(database_.image().textAt(ConfigurationImage::startupLabel2Line2));

    auto* fields = new QFormLayout;
    fields->addRow(tr("&Maintenance password"), maintenance_);
    fields->addRow(tr("Password (confirmation)"), maintenanceAgain_);
    fields->addRow(tr("&Administrator password"), administrator_);
    fields->addRow(tr("Password (confirmation)"), administratorAgain_);
    fields->addRow(tr("&Local ID length"), localIdLength_);
    fields->addRow(QString(), sendOnEnter_);
    auto* labels = new QFormLayout;
    labels->addRow(tr("Screen &1"), screen1_);
    labels->addRow(tr("Screen 2, 1st L&ine"), screen2Line1_);
    labels->addRow(tr("Screen 2, &2nd Line"), screen2Line2_);
    // The caption reads the same in every language.
    auto* labelsBox = new QGroupBox(QStringLiteral("Custom Startup Labels"));
    labelsBox->setLayout(labels);
    auto* content = new QVBoxLayout;
    content->addLayout(fields);
    content->addWidget(labelsBox);
    content->addStretch();
    setContent(content);
}

QLineEdit* GeneralPage::localIdLengthField() const
{
    return localIdLength_->findChild<QLineEdit*>();
}

bool GeneralPage::refuse(QLineEdit* field, const QString& message)
{
    MessageBox::message(this, message);
    field->setFocus();
    return false;
}

bool GeneralPage::apply()
{
    DataExchange exchange(this);
    const auto length = exchange.integer(localIdLengthField(), MinLocalIdLength, MaxLocalIdLength);
    if (!length)
        return false;
    // Everything is checked before anything is stored: a refused page leaves the image as it
    // was, so that Close drops all of its edits.
    const QString maintenance = maintenance_->text();
    const QString administrator = administrator_->text();
    for (QLineEdit* field : {maintenance_, administrator_}) {
        const qsizetype size = field->text().size();
        if (size > 0 && size < PasswordLength)
            return refuse(field, tr("Passwords must be either blank or 6 characters long.  "
                                    "Please try again."));
    }
    if (maintenance == administrator)
        return refuse(maintenance_, tr("ERROR: Maintenance and Administrator Passwords cannot be "
                                       "the same!\nPlease change one password and confirm"));
    if (maintenance != maintenanceAgain_->text())
        return refuse(maintenanceAgain_, tr("ERROR: Maintenance Passwords do not match!\nPlease "
                                            "re-enter password and confirm"));
    if (administrator != administratorAgain_->text())
        return refuse(administratorAgain_, tr("ERROR: Administrator Passwords do not match!\n"
                                              "Please re-enter password and confirm"));

    ConfigurationImage& image = database_.image();
    UnitSettings settings = image.settings();
    settings.setValue(UnitSettings::localIdLength, static_cast<uint32_t>(*length));
    const std::pair<ImageField, QLineEdit*> labels[] = {
        {ConfigurationImage::startupLabel1, screen1_},
        {ConfigurationImage::startupLabel2Line1, screen2Line1_},
        {ConfigurationImage::startupLabel2Line2, screen2Line2_},
    };
    for (const auto& [field, edit] : labels)
        if (DataExchange::edited(edit, image.textAt(field)))
            image.setTextAt(field, edit->text());
    if (DataExchange::edited(maintenance_, settings.text(UnitSettings::maintenancePassword)))
        settings.setText(UnitSettings::maintenancePassword, maintenance);
    if (DataExchange::edited(administrator_, settings.text(UnitSettings::administratorPassword)))
        settings.setText(UnitSettings::administratorPassword, administrator);
    SettingsStore::setInteger(SettingsStore::SendOnEnter, sendOnEnter_->isChecked() ? 1 : 0);
    return true;
}
