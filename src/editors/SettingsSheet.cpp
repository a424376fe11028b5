#include "SettingsSheet.h"

#include "Database.h"
#include "GeneralPage.h"
#include "InterfacePage.h"
#include "PatronPage.h"
#include "PbxPage.h"
#include "TransmitterPage.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

SettingsSheet::SettingsSheet(Database& database, QWidget* parent)
    : QDialog(parent)
    , database_(database)
    , tabs_(new QTabBar)
    , stack_(new QStackedWidget)
    , save_(new QPushButton(tr("&Save")))
    , close_(new QPushButton(tr("&Close")))
{
    setWindowTitle(tr("Settings"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/settings.png")));

    pages_ = {new GeneralPage(database), new PbxPage(database), new InterfacePage(database),
              new TransmitterPage(database), new PatronPage(database)};
    const QString titles[PageCount] = {tr("General"), tr("PBX"), tr("Interface Communications"),
                                       tr("Transmitter"), tr("Patron Pager")};
    for (int index = 0; index < PageCount; ++index) {
        tabs_->addTab(titles[index]);
        stack_->addWidget(pages_[index]);
        pages_[index]->watchForEdits();
    }
    tabs_->setExpanding(false);
    // Every tab title stays readable: the sheet is as wide as its tabs, in either language.
    tabs_->setUsesScrollButtons(false);
    tabs_->setCurrentIndex(General);
    stack_->setCurrentIndex(General);

    save_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->addWidget(tabs_);
    layout->addWidget(stack_, 1);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    connect(tabs_, &QTabBar::currentChanged, this, &SettingsSheet::tabChosen);
    connect(save_, &QPushButton::clicked, this, &SettingsSheet::save);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
}

// The tab bar has already moved when it tells us; the page on show has not, so a refusal only
// has to put the tab back.
void SettingsSheet::tabChosen(int index)
{
    if (index == currentPage_ || index < 0)
        return;
    if (!applyCurrentPage()) {
        const QSignalBlocker quiet(tabs_);
        tabs_->setCurrentIndex(currentPage_);
        return;
    }
    currentPage_ = index;
    stack_->setCurrentIndex(index);
    // Arrows on the tab bar go on moving through the tabs; a click or Ctrl+Tab goes to the page.
    if (!tabs_->hasFocus())
        pages_[index]->focusFirstField();
}

bool SettingsSheet::applyCurrentPage()
{
    SettingsPage* page = pages_[currentPage_];
    // What a list shows for a value it has no entry for (a count of 0 shows as 2, for one) is
    // no reason to write over that value.
    if (!page->isEdited())
        return true;
    const auto before = database_.image().bytes();
    if (!page->apply())
        return false;
    page->clearEdited();
    if (database_.image().bytes() != before)
        database_.markModified();
    return true;
}

void SettingsSheet::save()
{
    if (applyCurrentPage())
        accept();
}

void SettingsSheet::keyPressEvent(QKeyEvent* event)
{
    const bool control = event->modifiers() & Qt::ControlModifier;
    const int key = event->key();
    int step = 0;
    if (control && key == Qt::Key_Tab)
        step = event->modifiers() & Qt::ShiftModifier ? -1 : 1;
    else if (control && key == Qt::Key_Backtab)
        step = -1;
    else if (control && key == Qt::Key_PageDown)
        step = 1;
    else if (control && key == Qt::Key_PageUp)
        step = -1;
    if (step == 0) {
        QDialog::keyPressEvent(event);
        return;
    }
    tabs_->setCurrentIndex((currentPage_ + step + PageCount) % PageCount);
}
