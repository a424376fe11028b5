#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

// Chooses the members of one group: moves entries between "Members not in group" and "Members
// in group" by button, double click and drag. A group holds ten members at most, whichever way
// they are added. OK writes both lists back to the Groups dialog's members and candidate
// lists; Cancel leaves them alone.
class MembersDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int MaxMembers = 10;

    MembersDialog(const QString& groupName, QListWidget* groupMembers, QListWidget* candidates,
                  QWidget* parent = nullptr);

    QListWidget* notInGroupList() const { return notInGroup_; }
    QListWidget* inGroupList() const { return inGroup_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* removeButton() const { return remove_; }

    void addSelected();
    void removeSelected();
    // A drag from one list ends over target: entries dropped on the other list move there.
    void beginDrag(QListWidget* source);
    void endDragOver(QWidget* target);
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void move(QListWidget* source, QListWidget* target);
    static void copyEntries(const QListWidget* from, QListWidget* to);
    QListWidget* listOf(QObject* object) const;
    void updateButtons();

    QListWidget* groupMembers_;
    QListWidget* candidates_;
    QListWidget* notInGroup_;
    QListWidget* inGroup_;
    QPushButton* add_;
    QPushButton* remove_;
    QListWidget* dragSource_ = nullptr;
    QPoint pressPosition_;
    bool pressed_ = false;
};
