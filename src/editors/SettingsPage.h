#pragma once

#include "UnitSettings.h"

#include <QStringList>
#include <QWidget>

class Database;
class QComboBox;
class QLayout;

// One page of the settings sheet. A page loads its values from the image (and the settings
// store) when it is built; apply() takes them back, checking them in the page's own order. A page
// checks all of its values before it stores any, so a refused page has changed nothing.
class SettingsPage : public QWidget {
    Q_OBJECT
public:
    explicit SettingsPage(Database& database, QWidget* parent = nullptr);

    // Stores the page's values and returns true, or tells the first problem (the focus on its
    // field) and returns false, and the sheet stays on the page.
    virtual bool apply() = 0;

    // Where the focus goes when the page comes on show.
    void focusFirstField();

    // From now on, any change to a field, list or box of the page counts as an edit.
    void watchForEdits();
    bool isEdited() const { return edited_; }
    void clearEdited() { edited_ = false; }

    // The lists whose entry index is the stored number. A number the list has no entry for
    // shows no entry, and with no entry selected the stored number stays as it was.
    static QComboBox* listOf(const QStringList& entries);
    static void selectIndex(QComboBox* list, uint32_t index);
    static void storeIndex(UnitSettings& settings, ImageField field, const QComboBox* list);

protected:
    // The page's controls, to the right of the picture every page shows along its left edge.
    void setContent(QLayout* content);

    Database& database_;

private:
    bool edited_ = false;
};
