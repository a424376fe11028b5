#pragma once

#include <QDialog>
#include <QList>

class Database;
class QPushButton;
class QStackedWidget;
class QTabBar;
class SettingsPage;

// The Settings sheet: the unit-wide settings of the image and a few of this computer's, on five
// pages (General, PBX, Interface Communications, Transmitter, Patron Pager). Leaving a page
// applies it, and a page that refuses its values keeps the sheet on it; Save applies the page
// on show and closes, Close drops only that page's edits. A page the user did not edit stores
// nothing; a page that changes the image marks the database modified: the sheet keeps no copy,
// so nothing applied is undone on closing.
class SettingsSheet : public QDialog {
    Q_OBJECT
public:
    enum Page { General, Pbx, Interface, Transmitter, Patron, PageCount };

    explicit SettingsSheet(Database& database, QWidget* parent = nullptr);

    QTabBar* tabBar() const { return tabs_; }
    SettingsPage* page(int index) const { return pages_.value(index); }
    int currentPage() const { return currentPage_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* closeButton() const { return close_; }

    // Save: the page on show applies, and the sheet closes only when it took its values.
    void save();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void tabChosen(int index);
    // Applies the page on show when the user edited it; false when it refused its values.
    bool applyCurrentPage();

    Database& database_;
    QTabBar* tabs_;
    QStackedWidget* stack_;
    QList<SettingsPage*> pages_;
    int currentPage_ = 0;
    QPushButton* save_;
    QPushButton* close_;
};
