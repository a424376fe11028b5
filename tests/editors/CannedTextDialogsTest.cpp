#include "../support/Mnemonics.h"
#include "CommonMessagesDialog.h"
#include "EditorFixture.h"
#include "FunctionKeysDialog.h"

#include <QComboBox>

#include <gtest/gtest.h>

#include <memory>

namespace {

class CannedTextDialogsTest : public ::testing::Test, public EditorFixture {
protected:
    CannedTextDialogsTest() { image().resetToDefaults(); }

    template <typename Dialog> std::unique_ptr<Dialog> open()
    {
        auto dialog = std::make_unique<Dialog>(database);
        showActive(*dialog);
        return dialog;
    }
    static QStringList texts(const QComboBox* list)
    {
        QStringList result;
        for (int row = 0; row < list->count(); ++row)
            result << list->itemText(row);
        return result;
    }
};

TEST_F(CannedTextDialogsTest, AFreshImageOpensEmpty)
{
    auto common = open<CommonMessagesDialog>();
    for (int index = 0; index < ConfigurationImage::CommonMessageCount; ++index)
        EXPECT_EQ(common->messageField(index)->text(), QString()) << index;
    auto keys = open<FunctionKeysDialog>();
    for (int index = 0; index < ConfigurationImage::FunctionKeyCount; ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(keys->row(index).target->currentText(), QStringLiteral("None"));
        EXPECT_EQ(keys->row(index).tone->currentText(), QStringLiteral("A"));
        EXPECT_EQ(keys->row(index).message->text(), QString());
    }
}

TEST_F(CannedTextDialogsTest, CommonMessagesFirstAndLastBoxesEditEntriesZeroAndNine)
{
    image().commonMessage(0).setText(QStringLiteral("zero"));
    image().commonMessage(9).setText(QStringLiteral("nine"));
    auto dialog = open<CommonMessagesDialog>();
    EXPECT_EQ(dialog->messageField(0)->text(), QStringLiteral("zero"));
    EXPECT_EQ(dialog->messageField(9)->text(), QStringLiteral("nine"));
    retype(dialog->messageField(0), QStringLiteral("first  "));
    retype(dialog->messageField(9), QString(34, u'l'));
    dialog->accept();
    EXPECT_EQ(image().commonMessage(0).text(), QStringLiteral("first"));
    EXPECT_EQ(image().commonMessage(9).text(), QString(33, u'l'));
    for (int index = 1; index < 9; ++index)
        EXPECT_EQ(image().commonMessage(index).text(), QString()) << index;
    EXPECT_TRUE(database.isModified());
}

TEST_F(CannedTextDialogsTest, FunctionKeyMessagesKeepTrailingBlanks)
{
    auto dialog = open<FunctionKeysDialog>();
    retype(dialog->row(7).message, QStringLiteral("Bar   "));
    dialog->row(7).tone->setCurrentIndex(2);
    dialog->accept();
    EXPECT_EQ(image().functionKey(7).message(), QStringLiteral("Bar   "));
    EXPECT_EQ(image().functionKey(7).tone(), 2);
}

TEST_F(CannedTextDialogsTest, NoneIsFirstForF1AndSortedAmongTheNamesForTheOtherKeys)
{
    addPager(0, 5, "Oscar");
    addPager(1, 3, "alpha");
    addGroup(0, 40, "Zulu", {5});
    auto dialog = open<FunctionKeysDialog>();
    const QStringList tableOrder{"None", "alpha", "Oscar", "Zulu"};
    const QStringList sorted{"alpha", "None", "Oscar", "Zulu"};
    for (int index = 0; index < ConfigurationImage::FunctionKeyCount; ++index)
        EXPECT_EQ(texts(dialog->row(index).target), index % 4 == 0 ? tableOrder : sorted) << index;
}

TEST_F(CannedTextDialogsTest, OkWithoutAChangeAndCloseLeaveTheImageByteForByte)
{
    addPager(0, 5, "Same");
    addPager(1, 7, "same");
    addPager(2, 9, nullptr);
    const uint16_t targets[] = {7, 9, 0xFFFF, 1234, 7, 9, 0xFFFF, 1234};
    for (int index = 0; index < ConfigurationImage::FunctionKeyCount; ++index) {
        image().functionKey(index).setTarget(targets[index]);
        image().functionKey(index).setTone(index % 4);
        image().functionKey(index).setMessage(QStringLiteral("key  "));
    }
    image().commonMessage(4).setText(QStringLiteral("kept"));
    const auto before = image().bytes();

    auto keys = open<FunctionKeysDialog>();
    EXPECT_EQ(RecipientPickList::selectedLocalId(keys->row(0).target), 7);
    EXPECT_EQ(RecipientPickList::selectedLocalId(keys->row(5).target), 9);
    EXPECT_EQ(keys->row(5).target->currentText(), QStringLiteral("9"));
    keys->accept();
    auto common = open<CommonMessagesDialog>();
    common->accept();
    EXPECT_EQ(image().bytes(), before);
    EXPECT_FALSE(database.isModified());

    keys = open<FunctionKeysDialog>();
    retype(keys->row(0).message, QStringLiteral("changed"));
    keys->reject();
    common = open<CommonMessagesDialog>();
    retype(common->messageField(4), QStringLiteral("changed"));
    common->reject();
    EXPECT_EQ(image().bytes(), before);
}

TEST_F(CannedTextDialogsTest, NoTwoControlsShareAMnemonicInEitherLanguage)
{
    EXPECT_EQ(mnemonics::windowClashes(*open<CommonMessagesDialog>()), QStringList());
    EXPECT_EQ(mnemonics::windowClashes(*open<FunctionKeysDialog>()), QStringList());
    const mnemonics::SpanishTexts spanish;
    ASSERT_TRUE(spanish.loaded());
    auto common = open<CommonMessagesDialog>();
    EXPECT_NE(common->windowTitle(), QStringLiteral("Common Messages"));
    EXPECT_EQ(mnemonics::windowClashes(*common), QStringList());
    auto keys = open<FunctionKeysDialog>();
    EXPECT_NE(keys->windowTitle(), QStringLiteral("Function Keys"));
    EXPECT_EQ(mnemonics::windowClashes(*keys), QStringList());
}

} // namespace
