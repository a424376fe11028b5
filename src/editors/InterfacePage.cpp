#include "InterfacePage.h"

#include "Database.h"
#include "RecipientPickList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

InterfacePage::InterfacePage(Database& database, QWidget* parent)
    : SettingsPage(database, parent)
    // The protocols' names are names, the same in every language.
    , protocol_(listOf({QStringLiteral("TAP"), QStringLiteral("Comp 1"), QStringLiteral("Comp 2"),
                        QStringLiteral("Scope"), QStringLiteral("Tekk"), QStringLiteral("Visiplex"),
                        QStringLiteral("ESPA 4.4.4")}))
    , speed_(listOf({QStringLiteral("300"), QStringLiteral("1200"), QStringLiteral("2400"),
                     QStringLiteral("4800"), QStringLiteral("9600"), QStringLiteral("19200"),
                     QStringLiteral("38400"), QStringLiteral("57600")}))
    , dataBits_(listOf({QStringLiteral("7"), QStringLiteral("8")}))
    , stopBits_(listOf({QStringLiteral("1"), QStringLiteral("2")}))
    , parity_(listOf({tr("None"), tr("Even"), tr("Odd")}))
    , flowControl_(listOf({tr("None"), QStringLiteral("RTS/CTS"), QStringLiteral("XON/XOFF")}))
    , lookupLocalId_(new QCheckBox(tr("&Lookup Local ID")))
    , comp1Label_(new QLabel(tr("COMP1 Local &ID")))
    , comp1_(new QComboBox)
    , ignoreChecksum_(new QCheckBox(tr("Ignore Chec&ksum")))
    , neverDisconnect_(new QCheckBox(tr("&Never disconnect")))
    , acceptInvalid_(new QCheckBox(tr("Accept &messages to invalid pagers")))
    , sendId_(new QCheckBox(tr("Send 'ID=' every t&wo seconds")))
{
    ConfigurationImage& image = database_.image();
    const UnitSettings settings = image.settings();
    dataBits_->setCurrentIndex(settings.value(UnitSettings::interfaceDataBits) == 7 ? 0 : 1);
    selectIndex(stopBits_, settings.value(UnitSettings::interfaceStopBits));
    selectIndex(parity_, settings.value(UnitSettings::interfaceParity));
    selectIndex(flowControl_, settings.value(UnitSettings::interfaceFlowControl));
    selectIndex(protocol_, settings.value(UnitSettings::interfaceProtocol));
    lookupLocalId_->setChecked(settings.value(UnitSettings::lookupLocalId) != 0);
    ignoreChecksum_->setChecked(settings.value(UnitSettings::ignoreChecksum) != 0);
    neverDisconnect_->setChecked(settings.value(UnitSettings::neverDisconnect) != 0);
    acceptInvalid_->setChecked(settings.value(UnitSettings::acceptInvalidPagers) != 0);
    sendId_->setChecked(settings.value(UnitSettings::sendIdEveryTwoSeconds) != 0);
    speed_->setCurrentIndex(speed_->findText(
        QString::number(settings.value(UnitSettings::interfaceBaudRate)), Qt::MatchStartsWith));

    RecipientPickList::Options options;
    options.groups = false;
    options.sortByText = true;
    options.none = RecipientPickList::NonePlacement::AmongNames;
    RecipientPickList::fill(comp1_, image, database_.names(), options);
    // By local ID: two pagers may share a name, and the one stored is the one to show.
    RecipientPickList::select(comp1_,
                              static_cast<uint16_t>(settings.value(UnitSettings::comp1LocalId)));
    comp1_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    comp1_->setMinimumContentsLength(16);
    comp1Label_->setBuddy(comp1_);

    auto* lists = new QFormLayout;
    lists->addRow(tr("&Protocol"), protocol_);
    lists->addRow(tr("Spee&d"), speed_);
    lists->addRow(tr("Data &Bits"), dataBits_);
    lists->addRow(tr("S&top Bits"), stopBits_);
    lists->addRow(tr("P&arity"), parity_);
    lists->addRow(tr("&Flow Control"), flowControl_);
    // "COMP1 Local ID" stands where "Lookup Local ID" stands; only one of them shows.
    auto* localId = new QGridLayout;
    localId->addWidget(lookupLocalId_, 0, 0, 1, 2);
    localId->addWidget(comp1Label_, 1, 0);
    localId->addWidget(comp1_, 1, 1);
    localId->setColumnStretch(1, 1);
    auto* content = new QVBoxLayout;
    content->addLayout(lists);
    content->addLayout(localId);
    for (QCheckBox* box : {ignoreChecksum_, neverDisconnect_, acceptInvalid_, sendId_})
        content->addWidget(box);
    content->addStretch();
    setContent(content);

    connect(protocol_, &QComboBox::currentIndexChanged, this, &InterfacePage::showProtocolOptions);
    showProtocolOptions();
}

void InterfacePage::showProtocolOptions()
{
    const int protocol = protocol_->currentIndex();
    for (QWidget* tapOption : {ignoreChecksum_, neverDisconnect_, acceptInvalid_, sendId_})
        tapOption->setVisible(protocol == Tap);
    lookupLocalId_->setVisible(protocol != Comp1);
    comp1Label_->setVisible(protocol == Comp1);
    comp1_->setVisible(protocol == Comp1);
}

bool InterfacePage::apply()
{
    UnitSettings settings = database_.image().settings();
    storeIndex(settings, UnitSettings::interfaceProtocol, protocol_);
    if (speed_->currentIndex() >= 0)
        settings.setValue(UnitSettings::interfaceBaudRate, speed_->currentText().toUInt());
    settings.setValue(UnitSettings::interfaceDataBits, dataBits_->currentIndex() != 0 ? 8 : 7);
    storeIndex(settings, UnitSettings::interfaceStopBits, stopBits_);
    storeIndex(settings, UnitSettings::interfaceParity, parity_);
    storeIndex(settings, UnitSettings::interfaceFlowControl, flowControl_);
    settings.setValue(UnitSettings::lookupLocalId, lookupLocalId_->isChecked() ? 1 : 0);
    settings.setValue(
        UnitSettings::comp1LocalId,
        RecipientPickList::selectedLocalId(comp1_).value_or(ConfigurationImage::NoLocalId));
    settings.setValue(UnitSettings::ignoreChecksum, ignoreChecksum_->isChecked() ? 1 : 0);
    settings.setValue(UnitSettings::neverDisconnect, neverDisconnect_->isChecked() ? 1 : 0);
    settings.setValue(UnitSettings::acceptInvalidPagers, acceptInvalid_->isChecked() ? 1 : 0);
    settings.setValue(UnitSettings::sendIdEveryTwoSeconds, sendId_->isChecked() ? 1 : 0);
    return true;
}
