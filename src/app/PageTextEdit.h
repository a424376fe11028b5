#pragma once

#include <QPlainTextEdit>

// The message box: it takes only what the unit can show, up to the unit's page buffer. What does
// not fit is stopped before it reaches the text, so that a refused key leaves the text, the caret,
// the selection and the undo history as they were; an insertion too long for the room left goes
// in as far as it fits, with a beep, as a limited edit control does.
class PageTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit PageTextEdit(QWidget* parent = nullptr);

    // Inserts at the caret, over the selection, what fits; beeps when anything is left out.
    void insertLimited(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    // The room the text leaves once the selection is gone.
    int roomOverSelection() const;
};
