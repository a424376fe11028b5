#pragma once

// Checks that no two items a user reaches with Alt+letter in one window share the letter, and
// switches the texts to Spanish for a test, so that every window can be checked in both languages.
#include <QAbstractButton>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>
#include <QTabBar>
#include <QTranslator>
#include <QWidget>

namespace mnemonics {

// The letter after a single '&' ("&&" is a literal ampersand), lower-cased; a null QChar when the
// text has none.
inline QChar of(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text[i + 1].toLower();
    }
    return {};
}

// Each clash as "'first' and 'second' share Alt+x", for the failure message.
inline QStringList clashesAmong(const QStringList& texts)
{
    QMap<QChar, QString> owner;
    QStringList clashes;
    for (const QString& text : texts) {
        const QChar letter = of(text);
        if (letter.isNull())
            continue;
        if (owner.contains(letter))
            clashes << QStringLiteral("'%1' and '%2' share Alt+%3").arg(owner[letter], text, letter);
        else
            owner.insert(letter, text);
    }
    return clashes;
}

// Items of one menu, separators and hidden items left out.
inline QStringList menuTexts(const QMenu& menu)
{
    QStringList texts;
    for (const QAction* action : menu.actions())
        if (action->isVisible() && !action->isSeparator())
            texts << action->text();
    return texts;
}

// The widgets of one kind that sit in this window itself, not in a window of its own that it owns
// (a tool window or a dialog parented to it answers Alt+letter by itself).
template <typename Widget>
QList<Widget*> ownWidgets(const QWidget& window)
{
    QList<Widget*> own;
    for (Widget* widget : window.findChildren<Widget*>())
        if (widget->window() == &window)
            own << widget;
    return own;
}

// What Alt+letter can reach in one window: its buttons, the labels that lead to a field, group
// box titles, tab titles and the titles of its menu bar. Only what would be on show counts: Qt
// gives no shortcut to a widget that is not visible, so the pages of a tabbed window may share
// letters.
inline QStringList windowTexts(const QWidget& window)
{
    QStringList texts;
    for (const QAbstractButton* button : ownWidgets<QAbstractButton>(window))
        if (button->isVisibleTo(&window))
            texts << button->text();
    for (const QLabel* label : ownWidgets<QLabel>(window))
        if (label->buddy() && label->isVisibleTo(&window))
            texts << label->text();
    for (const QGroupBox* box : ownWidgets<QGroupBox>(window))
        if (box->isVisibleTo(&window))
            texts << box->title();
    for (const QTabBar* tabs : ownWidgets<QTabBar>(window))
        for (int i = 0; i < tabs->count(); ++i)
            texts << tabs->tabText(i);
    for (const QMenuBar* bar : ownWidgets<QMenuBar>(window))
        for (const QAction* action : bar->actions())
            if (action->isVisible())
                texts << action->text();
    return texts;
}

inline QStringList windowClashes(const QWidget& window) { return clashesAmong(windowTexts(window)); }

// Spanish texts for as long as it lives; the program's catalogue is compiled into the binary.
class SpanishTexts {
public:
    SpanishTexts()
    {
        loaded_ = catalogue_.load(QStringLiteral(":/i18n/tavolux_es.qm"));
        if (loaded_)
            QCoreApplication::installTranslator(&catalogue_);
    }
    ~SpanishTexts()
    {
        if (loaded_)
            QCoreApplication::removeTranslator(&catalogue_);
    }
    SpanishTexts(const SpanishTexts&) = delete;
    SpanishTexts& operator=(const SpanishTexts&) = delete;
    bool loaded() const { return loaded_; }

private:
    QTranslator catalogue_;
    bool loaded_ = false;
};

} // namespace mnemonics
