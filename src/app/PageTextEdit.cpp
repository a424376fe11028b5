#include "PageTextEdit.h"

#include "MessageBox.h"
#include "UnitText.h"

#include <QKeyEvent>
#include <QMimeData>

namespace {

// Text from elsewhere may end its lines the other platform's way; each end is one line break here.
QString withLineFeeds(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

// What a key press would type, or nothing when the key edits or moves instead (Backspace,
// Delete, Tab and the like send a control character as their text).
QString typedText(const QKeyEvent* event)
{
    // With or without Shift or Ctrl, the box makes a line break of it.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return QStringLiteral("\n");
    const QString text = event->text();
    for (const QChar c : text)
        if (!c.isPrint() && !c.isSurrogate())
            return {};
    return text;
}

} // namespace

PageTextEdit::PageTextEdit(QWidget* parent)
    : QPlainTextEdit(parent)
{}

int PageTextEdit::roomOverSelection() const
{
    // The selection holds its line breaks as the document's own separators.
    QString selected = textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
    return UnitText::MaxPageLength - UnitText::pageLength(toPlainText()) +
           UnitText::pageLength(selected);
}

void PageTextEdit::insertLimited(const QString& text)
{
    const QString insertion = withLineFeeds(text);
    if (UnitText::firstUnshowable(insertion)) {
        MessageBox::beep();
        return;
    }
    const qsizetype fitting = UnitText::fittingLength(insertion, roomOverSelection());
    if (fitting > 0)
        insertPlainText(insertion.left(fitting));
    if (fitting < insertion.size())
        MessageBox::beep();
}

void PageTextEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = typedText(event);
    if (typed.isEmpty() || (!UnitText::firstUnshowable(typed) &&
                            UnitText::fittingLength(typed, roomOverSelection()) == typed.size())) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    insertLimited(typed);
    event->accept();
}

void PageTextEdit::insertFromMimeData(const QMimeData* source)
{
    if (source->hasText())
        insertLimited(source->text());
}

void PageTextEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (event->commitString().isEmpty() || !event->preeditString().isEmpty()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    insertLimited(event->commitString());
    event->accept();
}
