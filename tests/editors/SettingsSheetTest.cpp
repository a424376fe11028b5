#include "SettingsSheet.h"
#include "../support/Mnemonics.h"
#include "CoasterPanel.h"
#include "CommandId.h"
#include "EditorFixture.h"
#include "GeneralPage.h"
#include "InterfacePage.h"
#include "MainWindow.h"
#include "ModalRunner.h"
#include "PagersDialog.h"
#include "PatronPage.h"
#include "PbxPage.h"
#include "SettingsStore.h"
#include "SortableList.h"
#include "TransmitterPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTabBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace {

const QString BlankOrSix =
    QStringLiteral("Passwords must be either blank or 6 characters long.  Please try again.");
const QString SamePasswords = QStringLiteral("ERROR: Maintenance and Administrator Passwords "
                                             "cannot be the same!\nPlease change one password "
                                             "and confirm");
const QString MaintenanceMismatch = QStringLiteral(
    "ERROR: Maintenance Passwords do not match!\nPlease re-enter password and confirm");
const QString AdministratorMismatch = QStringLiteral(
    "ERROR: Administrator Passwords do not match!\nPlease re-enter password and confirm");

class SettingsSheetTest : public ::testing::Test, public EditorFixture {
protected:
    SettingsSheetTest() { QSettings().clear(); }
    ~SettingsSheetTest() override { QSettings().clear(); }

    UnitSettings settings() { return image().settings(); }
    template <typename Page> std::unique_ptr<Page> openPage()
    {
        auto page = std::make_unique<Page>(database);
        showActive(*page);
        return page;
    }
    std::unique_ptr<SettingsSheet> openSheet()
    {
        auto sheet = std::make_unique<SettingsSheet>(database);
        showActive(*sheet);
        return sheet;
    }
    GeneralPage& general(SettingsSheet& sheet)
    {
        return static_cast<GeneralPage&>(*sheet.page(SettingsSheet::General));
    }
    static void clickTab(SettingsSheet& sheet, int index)
    {
        QTest::mouseClick(sheet.tabBar(), Qt::LeftButton, {},
                          sheet.tabBar()->tabRect(index).center());
    }
};

struct PasswordCase {
    const char* what;
    const char* maintenance;
    const char* maintenanceAgain;
    const char* administrator;
    const char* administratorAgain;
    const QString* message; // nullptr: taken
    const char* storedMaintenance;
    const char* storedAdministrator;
};

TEST_F(SettingsSheetTest, GeneralPageChecksInItsOrderAndStoresNothingUntilAllIsRight)
{
    const PasswordCase cases[] = {
        {"both blank", "", "", "", "", &SamePasswords, "482915", ""},
        {"five digits", "12345", "12345", "", "", &BlankOrSix, "482915", ""},
        {"administrator confirmation differs", "111111", "111111", "222222", "222223",
         &AdministratorMismatch, "482915", ""},
        {"maintenance confirmation differs", "111111", "111112", "222222", "222222",
         &MaintenanceMismatch, "482915", ""},
        {"taken", "111111", "111111", "222222", "222222", nullptr, "111111", "222222"},
        {"blank administrator", "111111", "111111", "", "", nullptr, "111111", ""},
    };
    for (const PasswordCase& c : cases) {
        SCOPED_TRACE(c.what);
        MessageBox::resetScript();
        settings().resetToDefaults();
        image().setTextAt(ConfigurationImage::startupLabel1, QString());
        SettingsStore::setInteger(SettingsStore::SendOnEnter, 0);
        const uint32_t length = settings().value(UnitSettings::localIdLength);
        auto page = openPage<GeneralPage>();
        retype(page->maintenancePassword(), QString::fromLatin1(c.maintenance));
        retype(page->maintenanceConfirmation(), QString::fromLatin1(c.maintenanceAgain));
        retype(page->administratorPassword(), QString::fromLatin1(c.administrator));
        retype(page->administratorConfirmation(), QString::fromLatin1(c.administratorAgain));
        retype(page->localIdLengthField(), QStringLiteral("2"));
        retype(page->screen1(), QStringLiteral("Welcome"));
        page->sendOnEnterBox()->setChecked(true);

        EXPECT_EQ(page->apply(), c.message == nullptr);
        EXPECT_EQ(shownTexts(), c.message ? QStringList{*c.message} : QStringList{});
        if (c.message) {
            EXPECT_EQ(MessageBox::shown().first().icon, MessageBox::Icon::None);
        }
        // A refused page has stored nothing at all: Close must be able to drop all of it.
        EXPECT_EQ(settings().value(UnitSettings::localIdLength), c.message ? length : 2u);
        EXPECT_EQ(image().textAt(ConfigurationImage::startupLabel1),
                  c.message ? QString() : QStringLiteral("Welcome"));
        EXPECT_EQ(settings().text(UnitSettings::maintenancePassword),
                  QString::fromLatin1(c.storedMaintenance));
        EXPECT_EQ(settings().text(UnitSettings::administratorPassword),
                  QString::fromLatin1(c.storedAdministrator));
        EXPECT_EQ(SettingsStore::integer(SettingsStore::SendOnEnter, 0), c.message ? 0 : 1);
    }
}

TEST_F(SettingsSheetTest, CloseAfterARefusedSaveLeavesTheImageAndTheSaveQuestionAlone)
{
    const auto before = image().bytes();
    auto sheet = openSheet();
    GeneralPage& page = general(*sheet);
    retype(page.screen1(), QStringLiteral("Changed"));
    retype(page.localIdLengthField(), QStringLiteral("2"));
    retype(page.maintenancePassword(), QStringLiteral("111111"));
    retype(page.maintenanceConfirmation(), QStringLiteral("111111"));
    retype(page.administratorPassword(), QStringLiteral("222222"));
    retype(page.administratorConfirmation(), QStringLiteral("222223"));
    sheet->saveButton()->click();
    EXPECT_EQ(shownTexts(), QStringList{AdministratorMismatch});
    sheet->closeButton()->click();
    EXPECT_TRUE(image().bytes() == before);
    EXPECT_FALSE(database.isModified());
}

TEST_F(SettingsSheetTest, ALocalIdLengthThatIsNoNumberIsRefusedFirstAndNothingIsStored)
{
    settings().setValue(UnitSettings::localIdLength, 4);
    const QString label = image().textAt(ConfigurationImage::startupLabel1);
    auto page = openPage<GeneralPage>();
    EXPECT_EQ(page->localIdLengthField()->text(), QStringLiteral("4"));
    retype(page->screen1(), QStringLiteral("Welcome"));
    retype(page->maintenancePassword(), QStringLiteral("1"));
    retype(page->localIdLengthField(), QString());

    EXPECT_FALSE(page->apply());
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("Please enter an integer.")});
    EXPECT_EQ(MessageBox::shown().first().icon, MessageBox::Icon::Warning);
    EXPECT_EQ(image().textAt(ConfigurationImage::startupLabel1), label);
    EXPECT_EQ(settings().value(UnitSettings::localIdLength), 4u);
    // The box offers 1 to 4 and goes round.
    retype(page->localIdLengthField(), QStringLiteral("4"));
    page->localIdLengthBox()->stepUp();
    EXPECT_EQ(page->localIdLengthBox()->value(), 1);
}

// A foreign file can fill a label or a password to its last byte, with no end marker: one
// character more than the field takes. Applying the page unedited must not cut it short.
TEST_F(SettingsSheetTest, GeneralPageKeepsTextsThatFillTheirFieldsWhole)
{
    settings().resetToDefaults();
    const std::pair<ImageField, char> texts[] = {
        {ConfigurationImage::startupLabel1, 'A'},
        {ConfigurationImage::startupLabel2Line1, 'a'},
        {ConfigurationImage::startupLabel2Line2, 'A'},
        {UnitSettings::maintenancePassword, '1'},
        {UnitSettings::administratorPassword, '2'},
    };
    for (const auto& [field, first] : texts)
        for (int at = 0; at < field.size; ++at)
            image().setU8At(field.offset + at, static_cast<uint8_t>(first + at % 8));
    const auto before = image().bytes();
    auto page = openPage<GeneralPage>();
    EXPECT_TRUE(page->apply());
    EXPECT_TRUE(image().bytes() == before);
}

TEST_F(SettingsSheetTest, TabChangesApplyThePageAndARefusalKeepsItByMouseAndKeyboard)
{
    settings().setText(UnitSettings::administratorPassword, QStringLiteral("222222"));
    auto sheet = openSheet();
    EXPECT_EQ(sheet->windowTitle(), QStringLiteral("Settings"));
    EXPECT_EQ(sheet->saveButton()->text(), QStringLiteral("&Save"));
    EXPECT_EQ(sheet->closeButton()->text(), QStringLiteral("&Close"));
    EXPECT_EQ(sheet->tabBar()->count(), 5);
    GeneralPage& page = general(*sheet);
    retype(page.maintenancePassword(), QStringLiteral("12345"));

    // A click, Ctrl+Tab in a field and an arrow on the tab bar: each is refused alike.
    const std::function<void()> switches[] = {
        [&] { clickTab(*sheet, SettingsSheet::Patron); },
        [&] { QTest::keyClick(page.screen1(), Qt::Key_Tab, Qt::ControlModifier); },
        [&] {
            sheet->tabBar()->setFocus();
            QTest::keyClick(sheet->tabBar(), Qt::Key_Right);
        },
    };
    for (const auto& change : switches) {
        MessageBox::resetScript();
        change();
        EXPECT_EQ(shownTexts(), QStringList{BlankOrSix});
        EXPECT_EQ(sheet->currentPage(), SettingsSheet::General);
        EXPECT_EQ(sheet->tabBar()->currentIndex(), SettingsSheet::General);
        EXPECT_TRUE(page.isVisible());
        EXPECT_FALSE(database.isModified());
    }

    retype(page.maintenancePassword(), QStringLiteral("123456"));
    retype(page.maintenanceConfirmation(), QStringLiteral("123456"));
    MessageBox::resetScript();
    QTest::keyClick(page.screen1(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    EXPECT_EQ(sheet->currentPage(), SettingsSheet::Pbx);
    EXPECT_TRUE(sheet->page(SettingsSheet::Pbx)->isVisible());
    EXPECT_FALSE(page.isVisible());
    EXPECT_TRUE(database.isModified());
    EXPECT_EQ(settings().text(UnitSettings::maintenancePassword), QStringLiteral("123456"));
    // The arrows on the tab bar keep moving through the tabs, each page applied on leaving.
    sheet->tabBar()->setFocus();
    QTest::keyClick(sheet->tabBar(), Qt::Key_Right);
    QTest::keyClick(sheet->tabBar(), Qt::Key_Right);
    EXPECT_EQ(sheet->currentPage(), SettingsSheet::Transmitter);
    QTest::keyClick(sheet->tabBar(), Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(sheet->currentPage(), SettingsSheet::Interface);
    // From a field of the page, the next page's first field takes the focus.
    static_cast<InterfacePage&>(*sheet->page(SettingsSheet::Interface)).speedList()->setFocus();
    clickTab(*sheet, SettingsSheet::Patron);
    EXPECT_EQ(sheet->currentPage(), SettingsSheet::Patron);
    EXPECT_TRUE(sheet->page(SettingsSheet::Patron)->isAncestorOf(QApplication::focusWidget()));
}

TEST_F(SettingsSheetTest, CloseKeepsWhatTabChangesAppliedAndDropsOnlyThePageOnShow)
{
    auto sheet = openSheet();
    retype(general(*sheet).screen1(), QStringLiteral("Hello"));
    clickTab(*sheet, SettingsSheet::Patron);
    auto& patron = static_cast<PatronPage&>(*sheet->page(SettingsSheet::Patron));
    retype(patron.antiTheftIntervalField(), QStringLiteral("5000"));
    MessageBox::resetScript();
    sheet->closeButton()->click();

    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Rejected);
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    EXPECT_EQ(image().textAt(ConfigurationImage::startupLabel1), QStringLiteral("Hello"));
    EXPECT_EQ(settings().value(UnitSettings::antiTheftInterval), 30u);
    EXPECT_TRUE(database.isModified());

    // Save applies the page on show, and stays open while it refuses.
    database.clearModified();
    sheet = openSheet();
    clickTab(*sheet, SettingsSheet::Patron);
    database.clearModified();
    auto& again = static_cast<PatronPage&>(*sheet->page(SettingsSheet::Patron));
    retype(again.antiTheftIntervalField(), QStringLiteral("5000"));
    sheet->saveButton()->click();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(shownTexts(),
              QStringList{QStringLiteral("Please enter an integer between 0 and 999.")});
    EXPECT_FALSE(database.isModified());
    retype(again.antiTheftIntervalField(), QStringLiteral("45"));
    sheet->saveButton()->click();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(settings().value(UnitSettings::antiTheftInterval), 45u);
    EXPECT_TRUE(database.isModified());
}

// Stored values the lists show otherwise (a count of 0 shows as 2, an unknown code as the first
// entry) must not be written over merely by passing through the pages.
TEST_F(SettingsSheetTest, APageTheUserDidNotEditStoresNothing)
{
    settings().setValue(UnitSettings::answerRings, 0);
    settings().setValue(UnitSettings::messagesBeforeDisconnect, 0);
    settings().setValue(UnitSettings::interfaceDataBits, 5);
    settings().setValue(UnitSettings::encodingMethod, 9);
    settings().setValue(UnitSettings::reservedFlagA, 1);
    const auto before = image().bytes();
    auto sheet = openSheet();
    for (int index : {SettingsSheet::Pbx, SettingsSheet::Interface, SettingsSheet::Transmitter,
                      SettingsSheet::Patron, SettingsSheet::General, SettingsSheet::Pbx})
        clickTab(*sheet, index);
    EXPECT_EQ(sheet->currentPage(), SettingsSheet::Pbx);
    sheet->saveButton()->click();
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    EXPECT_TRUE(image().bytes() == before);
    EXPECT_FALSE(database.isModified());
    EXPECT_FALSE(SettingsStore::contains(SettingsStore::Alert));

    // An edit to one list stores the page.
    sheet = openSheet();
    clickTab(*sheet, SettingsSheet::Pbx);
    auto& pbx = static_cast<PbxPage&>(*sheet->page(SettingsSheet::Pbx));
    pbx.list(PbxPage::PromptDelay)->setCurrentIndex(4);
    clickTab(*sheet, SettingsSheet::General);
    EXPECT_EQ(settings().value(UnitSettings::promptDelay), 4u);
    EXPECT_TRUE(database.isModified());
}

TEST_F(SettingsSheetTest, PbxListsStandForTheirNumbers)
{
    settings().setValue(UnitSettings::answerRings, 0);
    settings().setValue(UnitSettings::promptDelay, 3);
    settings().setValue(UnitSettings::inactivityTime, 99);
    settings().setValue(UnitSettings::messagesBeforeDisconnect, 0);
    settings().setValue(UnitSettings::voicePagingTimeout, 200);
    auto page = openPage<PbxPage>();
    EXPECT_EQ(page->list(PbxPage::AnswerRings)->currentText(), QStringLiteral("2"));
    EXPECT_EQ(page->list(PbxPage::PromptDelay)->currentText(), QStringLiteral("1.5"));
    EXPECT_EQ(page->list(PbxPage::InactivityTime)->currentText(), QStringLiteral("99"));
    EXPECT_EQ(page->list(PbxPage::InactivityTime)->count(), 99);
    EXPECT_EQ(page->list(PbxPage::VoicePagingTimeout)->currentIndex(), -1);
    page->list(PbxPage::PromptDelay)->setCurrentIndex(10);
    EXPECT_TRUE(page->apply());
    EXPECT_EQ(settings().value(UnitSettings::answerRings), 2u);
    EXPECT_EQ(settings().value(UnitSettings::messagesBeforeDisconnect), 2u);
    EXPECT_EQ(settings().value(UnitSettings::promptDelay), 10u);
    EXPECT_EQ(settings().value(UnitSettings::inactivityTime), 99u);
    EXPECT_EQ(settings().value(UnitSettings::voicePagingTimeout), 200u);
}

TEST_F(SettingsSheetTest, InterfaceOptionsFollowTheProtocolAndHiddenOnesAreStoredToo)
{
    struct Case {
        int protocol;
        bool tap, lookup, comp1;
    };
    const Case cases[] = {{InterfacePage::Tap, true, true, false},
                          {InterfacePage::Comp1, false, false, true},
                          {InterfacePage::Comp2, false, true, false},
                          {InterfacePage::Espa444, false, true, false}};
    auto page = openPage<InterfacePage>();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.protocol);
        page->protocolList()->setCurrentIndex(c.protocol);
        for (QWidget* tapOption :
             std::initializer_list<QWidget*>{page->ignoreChecksumBox(), page->neverDisconnectBox(),
                                             page->acceptInvalidBox(), page->sendIdBox()})
            EXPECT_EQ(tapOption->isVisible(), c.tap);
        EXPECT_EQ(page->lookupLocalIdBox()->isVisible(), c.lookup);
        EXPECT_EQ(page->comp1List()->isVisible(), c.comp1);
        EXPECT_EQ(page->comp1Label()->isVisible(), c.comp1);
    }
    page->protocolList()->setCurrentIndex(InterfacePage::Comp1);
    page->ignoreChecksumBox()->setChecked(false);
    page->parityList()->setCurrentIndex(1);
    page->dataBitsList()->setCurrentIndex(0);
    page->speedList()->setCurrentIndex(page->speedList()->findText(QStringLiteral("19200")));
    EXPECT_TRUE(page->apply());
    EXPECT_EQ(settings().value(UnitSettings::interfaceProtocol), 1u);
    EXPECT_EQ(settings().value(UnitSettings::ignoreChecksum), 0u);
    EXPECT_EQ(settings().value(UnitSettings::interfaceParity), 1u);
    EXPECT_EQ(settings().value(UnitSettings::interfaceDataBits), 7u);
    EXPECT_EQ(settings().value(UnitSettings::interfaceBaudRate), 19200u);
    // With no pagers the COMP1 list offers "None" alone.
    EXPECT_EQ(page->comp1List()->count(), 1);
    EXPECT_EQ(page->comp1List()->currentText(), QStringLiteral("None"));
    EXPECT_EQ(settings().value(UnitSettings::comp1LocalId), 0xFFFFu);
}

TEST_F(SettingsSheetTest, ASpeedNotInTheListShowsNoEntryAndKeepsItsValue)
{
    settings().setValue(UnitSettings::interfaceBaudRate, 600);
    settings().setValue(UnitSettings::interfaceDataBits, 5);
    auto page = openPage<InterfacePage>();
    EXPECT_EQ(page->speedList()->currentIndex(), -1);
    EXPECT_EQ(page->dataBitsList()->currentText(), QStringLiteral("8"));
    EXPECT_TRUE(page->apply());
    EXPECT_EQ(settings().value(UnitSettings::interfaceBaudRate), 600u);
    EXPECT_EQ(settings().value(UnitSettings::interfaceDataBits), 8u);
}

TEST_F(SettingsSheetTest, TheComp1PagerIsTheStoredOneEvenWhenAnotherHasItsName)
{
    addPager(0, 5, "Bar");
    addPager(1, 9, "Bar");
    addPager(2, 7, "Aisle");
    for (const uint16_t stored : {uint16_t{9}, uint16_t{5}}) {
        SCOPED_TRACE(stored);
        settings().setValue(UnitSettings::interfaceProtocol, InterfacePage::Comp1);
        settings().setValue(UnitSettings::comp1LocalId, stored);
        auto page = openPage<InterfacePage>();
        QStringList entries;
        for (int i = 0; i < page->comp1List()->count(); ++i)
            entries << page->comp1List()->itemText(i);
        EXPECT_EQ(entries, (QStringList{QStringLiteral("Aisle"), QStringLiteral("Bar"),
                                        QStringLiteral("Bar"), QStringLiteral("None")}));
        EXPECT_EQ(RecipientPickList::selectedLocalId(page->comp1List()), stored);
        settings().setValue(UnitSettings::comp1LocalId, 0);
        EXPECT_TRUE(page->apply());
        EXPECT_EQ(settings().value(UnitSettings::comp1LocalId), stored);
    }
}

TEST_F(SettingsSheetTest, TransmitterCodesAndTheFlagsBesideTheTransmitterType)
{
    settings().setValue(UnitSettings::encodingMethod, 4);
    settings().setValue(UnitSettings::voicePagerType, 9);
    settings().setValue(UnitSettings::reservedFlagA, 1);
    settings().setValue(UnitSettings::reservedFlagB, 1);
    settings().setValue(UnitSettings::transmitterInverted, 5);
    settings().setValue(UnitSettings::twoToneDurationB, 35);
    auto page = openPage<TransmitterPage>();
    EXPECT_EQ(page->encodingList()->currentText(), QStringLiteral("Numeric"));
    EXPECT_EQ(page->voicePagerTypeList()->currentIndex(), 0);
    EXPECT_EQ(page->durationAList()->count(), 101);
    EXPECT_EQ(page->durationAList()->itemText(100), QStringLiteral("10.0"));
    EXPECT_EQ(page->durationBList()->currentText(), QStringLiteral("3.5"));
    EXPECT_EQ(page->transmitterTypeList()->currentText(), QStringLiteral("Inverted"));
    EXPECT_FALSE(page->transmitterTypeList()->isVisible());
    page->encodingList()->setCurrentIndex(2);
    EXPECT_TRUE(page->apply());
    EXPECT_EQ(settings().value(UnitSettings::encodingMethod), 7u);
    EXPECT_EQ(settings().value(UnitSettings::voicePagerType), 0u);
    EXPECT_EQ(settings().value(UnitSettings::twoToneDurationB), 35u);
    EXPECT_EQ(settings().value(UnitSettings::transmitterInverted), 1u);
    EXPECT_EQ(settings().value(UnitSettings::reservedFlagA), 0u);
    EXPECT_EQ(settings().value(UnitSettings::reservedFlagB), 0u);
}

struct CapCodeCase {
    const char* antiTheft;
    const char* locate;
    const char* group;
    const char* interval;
    const char* message; // nullptr: taken
};

TEST_F(SettingsSheetTest, PatronCapCodesAreReadAsTheirLeadingNumberAndCheckedInOrder)
{
    const CapCodeCase cases[] = {
        {"12abc", "8", "0012", "0", nullptr},
        {" +15", "2097150", "9", "999", nullptr},
        {"7", "8", "8", "30", "Please enter a valid Anti Theft Cap Code"},
        {"2097151", "8", "8", "30", "Please enter a valid Anti Theft Cap Code"},
        {"abc", "1", "1", "30", "Please enter a valid Anti Theft Cap Code"},
        {"8", "2097151", "1", "30", "Please enter a valid locate coasters Cap Code"},
        {"8", "8", "", "30", "Please enter a valid Common Cap Code"},
        {"1", "1", "1", "1000", "Please enter an integer between 0 and 999."},
        {"1", "1", "1", "x", "Please enter a positive integer."},
    };
    for (const CapCodeCase& c : cases) {
        SCOPED_TRACE(c.antiTheft);
        MessageBox::resetScript();
        QSettings().clear();
        settings().resetToDefaults();
        auto page = openPage<PatronPage>();
        EXPECT_TRUE(page->alertBox()->isChecked());
        retype(page->antiTheftCapCodeField(), QString::fromLatin1(c.antiTheft));
        retype(page->locateCapCodeField(), QString::fromLatin1(c.locate));
        retype(page->groupCapCodeField(), QString::fromLatin1(c.group));
        retype(page->antiTheftIntervalField(), QString::fromLatin1(c.interval));
        page->locateBox()->setChecked(false);
        page->antiTheftEnabledBox()->setChecked(true);

        EXPECT_EQ(page->apply(), c.message == nullptr);
        EXPECT_EQ(shownTexts(),
                  c.message ? QStringList{QString::fromLatin1(c.message)} : QStringList{});
        EXPECT_EQ(SettingsStore::contains(SettingsStore::Locate), c.message == nullptr);
        EXPECT_EQ(settings().value(UnitSettings::antiTheftEnabled), c.message ? 0u : 1u);
        if (c.message) {
            continue;
        }
        EXPECT_EQ(
            settings().value(UnitSettings::antiTheftCapCode),
            static_cast<uint32_t>(PatronPage::leadingNumber(QString::fromLatin1(c.antiTheft))));
        EXPECT_EQ(SettingsStore::text(SettingsStore::CommonCapCode), QString::fromLatin1(c.group));
        EXPECT_EQ(SettingsStore::integer(SettingsStore::Locate, 1), 0);
        EXPECT_EQ(SettingsStore::integer(SettingsStore::Alert, 0), 1);
    }
    EXPECT_EQ(PatronPage::leadingNumber(QStringLiteral("12abc")), 12);
    EXPECT_EQ(PatronPage::leadingNumber(QStringLiteral("0012")), 12);
    EXPECT_EQ(PatronPage::leadingNumber(QStringLiteral("-20")), -20);
    EXPECT_EQ(PatronPage::leadingNumber(QStringLiteral("99999999999999999999")), int64_t{1} << 40);
}

TEST_F(SettingsSheetTest, GroupCapCode0012IsStoredAs12AndAsTheTextTyped)
{
    auto page = openPage<PatronPage>();
    retype(page->groupCapCodeField(), QStringLiteral("0012"));
    EXPECT_TRUE(page->apply());
    EXPECT_EQ(settings().value(UnitSettings::groupCapCode), 12u);
    EXPECT_EQ(SettingsStore::text(SettingsStore::CommonCapCode), QStringLiteral("0012"));
}

TEST_F(SettingsSheetTest, NoTwoItemsOfAPageShareAMnemonicInEitherLanguage)
{
    for (const bool spanish : {false, true}) {
        std::optional<mnemonics::SpanishTexts> texts;
        if (spanish) {
            texts.emplace();
            ASSERT_TRUE(texts->loaded());
        }
        auto sheet = openSheet();
        auto& interface = static_cast<InterfacePage&>(*sheet->page(SettingsSheet::Interface));
        for (int index = 0; index < SettingsSheet::PageCount; ++index) {
            clickTab(*sheet, index);
            ASSERT_EQ(sheet->currentPage(), index);
            for (int protocol : {InterfacePage::Tap, InterfacePage::Comp1}) {
                interface.protocolList()->setCurrentIndex(protocol);
                const QStringList clashes = mnemonics::windowClashes(*sheet);
                EXPECT_TRUE(clashes.isEmpty())
                    << spanish << index << ": " << clashes.join(u'\n').toStdString();
            }
        }
    }
}

// The console around the sheet: what it opens, what follows it and the save question it brings.
class SettingsInConsoleTest : public SettingsSheetTest {
protected:
    std::unique_ptr<MainWindow> openConsole()
    {
        auto window = std::make_unique<MainWindow>(database);
        window->setDatabasePath(dir_.filePath(QStringLiteral("site.dat")));
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        window->login(QStringLiteral("482915"));
        return window;
    }
    // Opens the sheet with Ctrl+S and lets `edit` work on it before Save.
    void saveSettings(MainWindow& window, std::function<void(SettingsSheet&)> edit)
    {
        bool opened = false;
        ModalRunner::setDriver([&](QDialog& dialog) {
            auto& sheet = dynamic_cast<SettingsSheet&>(dialog);
            opened = true;
            edit(sheet);
            sheet.save();
        });
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
        ModalRunner::setDriver([](QDialog&) {});
        EXPECT_TRUE(opened);
    }

    QTemporaryDir dir_;
};

TEST_F(SettingsInConsoleTest, TheConsoleFollowsSendOnEnterTheLocalIdLengthAndThePatronRows)
{
    addPager(0, 12, "Bar");
    auto window = openConsole();
    window->recipientList()->setCurrentItem(window->recipientList()->findRow(12));
    ASSERT_NE(window->coasterPanel(), nullptr);
    EXPECT_EQ(window->coasterPanel()->rowCount(), 5);
    saveSettings(*window, [this](SettingsSheet& sheet) {
        general(sheet).sendOnEnterBox()->setChecked(true);
        retype(general(sheet).localIdLengthField(), QStringLiteral("2"));
        clickTab(sheet, SettingsSheet::Patron);
        static_cast<PatronPage&>(*sheet.page(SettingsSheet::Patron)).alertBox()->setChecked(false);
    });
    ASSERT_NE(window->coasterPanel(), nullptr);
    EXPECT_EQ(window->coasterPanel()->rowCount(), 2);

    // Enter now sends: offline, the page is refused.
    MessageBox::resetScript();
    window->messageBox()->setPlainText(QStringLiteral("hi"));
    QTest::keyClick(window->messageBox(), Qt::Key_Return);
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("Message not sent.  Not Connected!")});

    // The pagers editor's Local ID box takes two digits now.
    QString typed;
    ModalRunner::setDriver([&](QDialog& dialog) {
        auto& pagers = dynamic_cast<PagersDialog&>(dialog);
        pagers.newRecord();
        retype(pagers.localIdField(), QStringLiteral("1234"));
        typed = pagers.localIdField()->text();
    });
    window->runCommand(PagersCommand);
    EXPECT_EQ(typed, QStringLiteral("12"));
}

TEST_F(SettingsInConsoleTest, LeavingAfterASettingsChangeAsksToSave)
{
    struct Case {
        QMessageBox::StandardButton answer;
        bool leaves;
        bool written;
    };
    const Case cases[] = {{QMessageBox::Yes, true, true},
                          {QMessageBox::No, true, false},
                          {QMessageBox::Cancel, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        QFile::remove(dir_.filePath(QStringLiteral("site.dat")));
        // A label already reading "Changed" would change nothing, and bring no question.
        image().setTextAt(ConfigurationImage::startupLabel1, QString());
        database.clearModified();
        auto window = openConsole();
        saveSettings(*window, [this](SettingsSheet& sheet) {
            retype(general(sheet).screen1(), QStringLiteral("Changed"));
        });
        EXPECT_TRUE(database.isModified());
        MessageBox::resetScript();
        MessageBox::setNextAnswer(c.answer);
        window->close();
        EXPECT_EQ(shownTexts(),
                  QStringList{QStringLiteral("Do You wish to save your current database?")});
        EXPECT_EQ(window->isVisible(), !c.leaves);
        EXPECT_EQ(QFile::exists(dir_.filePath(QStringLiteral("site.dat"))), c.written);
        if (c.written) {
            Database saved;
            ASSERT_TRUE(saved.readDatabaseFile(dir_.filePath(QStringLiteral("site.dat"))).opened());
            EXPECT_EQ(saved.image().textAt(ConfigurationImage::startupLabel1),
                      QStringLiteral("Changed"));
        }
        // Leaving for good after Cancel asks nothing more once the answer is No.
        if (!c.leaves) {
            MessageBox::setNextAnswer(QMessageBox::No);
            window->close();
        }
    }
}

} // namespace
