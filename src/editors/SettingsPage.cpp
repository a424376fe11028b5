#include "SettingsPage.h"

#include "UnitSettings.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

SettingsPage::SettingsPage(Database& database, QWidget* parent)
    : QWidget(parent)
    , database_(database)
{}

void SettingsPage::setContent(QLayout* content)
{
    auto* picture = new QLabel;
    picture->setPixmap(QPixmap(QStringLiteral(":/icons/settings.png")));
    picture->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(picture);
    layout->addLayout(content, 1);
}

void SettingsPage::focusFirstField()
{
    for (QWidget* next = nextInFocusChain(); next != this; next = next->nextInFocusChain()) {
        if (!isAncestorOf(next))
            continue;
        if ((next->focusPolicy() & Qt::TabFocus) && next->isVisibleTo(this) && next->isEnabled()) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void SettingsPage::watchForEdits()
{
    const auto edited = [this] {
        edited_ = true;
    };
    for (QLineEdit* field : findChildren<QLineEdit*>())
        connect(field, &QLineEdit::textChanged, this, edited);
    for (QComboBox* list : findChildren<QComboBox*>())
        connect(list, &QComboBox::currentIndexChanged, this, edited);
    for (QAbstractButton* box : findChildren<QAbstractButton*>())
        connect(box, &QAbstractButton::toggled, this, edited);
}

QComboBox* SettingsPage::listOf(const QStringList& entries)
{
    auto* list = new QComboBox;
    list->addItems(entries);
    return list;
}

void SettingsPage::selectIndex(QComboBox* list, uint32_t index)
{
    list->setCurrentIndex(index < static_cast<uint32_t>(list->count()) ? static_cast<int>(index)
                                                                       : -1);
}

void SettingsPage::storeIndex(UnitSettings& settings, ImageField field, const QComboBox* list)
{
    if (list->currentIndex() >= 0)
        settings.setValue(field, static_cast<uint32_t>(list->currentIndex()));
}
