#include "MessageBox.h"

#include <QApplication>
#include <QQueue>

namespace {

struct Script {
    bool scripted = false;
    QQueue<QMessageBox::StandardButton> answers;
    QList<MessageBox::Shown> shown;
    QList<MessageBox::Beep> beeps;
};

Script& script()
{
    static Script s;
    return s;
}

QMessageBox::StandardButton escapeAnswer(QMessageBox::StandardButtons buttons)
{
    for (auto button : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok})
        if (buttons.testFlag(button))
            return button;
    return QMessageBox::NoButton;
}

QMessageBox::Icon qtIcon(MessageBox::Icon icon)
{
    switch (icon) {
    case MessageBox::Icon::Information:
        return QMessageBox::Information;
    case MessageBox::Icon::Question:
        return QMessageBox::Question;
    case MessageBox::Icon::Warning:
        return QMessageBox::Warning;
    case MessageBox::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QMessageBox::StandardButton MessageBox::show(QWidget* parent, Icon icon, const QString& caption,
                                             const QString& text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton)
{
    const QString title = caption.isEmpty() ? QStringLiteral("Tavolux") : caption;
    Script& s = script();
    if (s.scripted) {
        s.shown.append({title, text, icon, buttons, defaultButton});
        return s.answers.isEmpty() ? escapeAnswer(buttons) : s.answers.dequeue();
    }
    QMessageBox box(qtIcon(icon), title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MessageBox::information(QWidget* parent, const QString& text)
{
    show(parent, Icon::Information, QString(), text, QMessageBox::Ok);
}

void MessageBox::message(QWidget* parent, const QString& text)
{
    show(parent, Icon::None, QString(), text, QMessageBox::Ok);
}

QMessageBox::StandardButton MessageBox::question(QWidget* parent, const QString& text,
                                                 QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton)
{
    return show(parent, Icon::Question, QString(), text, buttons, defaultButton);
}

QMessageBox::StandardButton MessageBox::warning(QWidget* parent, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                const QString& caption)
{
    return show(parent, Icon::Warning, caption, text, buttons);
}

void MessageBox::beep(Beep kind)
{
    Script& s = script();
    if (s.scripted)
        s.beeps.append(kind);
    else
        QApplication::beep();
}

void MessageBox::setScripted(bool scripted)
{
    script().scripted = scripted;
}

void MessageBox::setNextAnswer(QMessageBox::StandardButton answer)
{
    script().answers.enqueue(answer);
}

const QList<MessageBox::Shown>& MessageBox::shown()
{
    return script().shown;
}

const QList<MessageBox::Beep>& MessageBox::beeps()
{
    return script().beeps;
}

void MessageBox::resetScript()
{
    Script& s = script();
    s.answers.clear();
    s.shown.clear();
    s.beeps.clear();
}
