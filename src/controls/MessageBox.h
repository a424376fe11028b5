#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>

class QWidget;

// The one door through which the program shows message boxes and sounds its beeps. Tests switch
// it to scripted mode: nothing is shown, every box is recorded, and the answers come from a queue.
class MessageBox {
public:
    enum class Icon { None, Information, Question, Warning };
    enum class Beep { Default, Exclamation };

    struct Shown {
        QString caption;
        QString text;
        Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
    };

    static void information(QWidget* parent, const QString& text);
    // A box with no icon and an OK button.
    static void message(QWidget* parent, const QString& text);
    static QMessageBox::StandardButton
    question(QWidget* parent, const QString& text,
             QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No,
             QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    static QMessageBox::StandardButton
    warning(QWidget* parent, const QString& text,
            QMessageBox::StandardButtons buttons = QMessageBox::Ok,
            const QString& caption = QString());
    static void beep(Beep kind = Beep::Default);

    // Scripted mode. Without a queued answer a box answers as if the user had pressed Escape.
    static void setScripted(bool scripted);
    static void setNextAnswer(QMessageBox::StandardButton answer);
    static const QList<Shown>& shown();
    static const QList<Beep>& beeps();
    static void resetScript();

private:
    static QMessageBox::StandardButton
    show(QWidget* parent, Icon icon, const QString& caption, const QString& text,
         QMessageBox::StandardButtons buttons,
         QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
};
