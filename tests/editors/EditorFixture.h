#pragma once

#include "../support/SiteBuilder.h"
#include "Database.h"
#include "MessageBox.h"
#include "RecipientPickList.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <vector>

// A database of the editors' tests, built in memory, with the test pages recorded.
class EditorFixture {
public:
    ConfigurationImage& image() { return database.image(); }

    void addPager(int slot, uint16_t id, const char* name, int type = PagerRecord::Numeric,
                  uint32_t capcode = 1000)
    {
        SiteBuilder(database).pager(id, capcode, name, type, slot);
    }
    void addGroup(int slot, uint16_t id, const char* name, std::vector<uint16_t> members)
    {
        SiteBuilder(database).group(id, name, std::move(members), false, slot);
    }
    std::vector<uint16_t> members(int groupSlot)
    {
        std::vector<uint16_t> ids;
        for (uint16_t id = image().firstMember(groupSlot); id != 0xFFFF; id = image().nextMember())
            ids.push_back(id);
        return ids;
    }
    // Shown and active, so that the focus the dialog gives a field can be seen.
    static void showActive(QWidget& window)
    {
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    static void retype(QLineEdit* field, const QString& text)
    {
        field->setFocus();
        field->selectAll();
        if (text.isEmpty())
            QTest::keyClick(field, Qt::Key_Delete);
        else
            QTest::keyClicks(field, text);
    }
    static QStringList texts(const QListWidget* list)
    {
        QStringList result;
        for (int row = 0; row < list->count(); ++row)
            result << list->item(row)->text();
        return result;
    }
    static QStringList shownTexts()
    {
        QStringList result;
        for (const auto& box : MessageBox::shown())
            result << box.text;
        return result;
    }
    static int selectedId(const QListWidget* list)
    {
        const auto id = RecipientPickList::selectedLocalId(list);
        return id ? *id : -1;
    }
    std::function<void(uint16_t)> recordTestPages()
    {
        return [this](uint16_t id) {
            testPages.push_back(id);
        };
    }

    Database database;
    std::vector<uint16_t> testPages;
};
