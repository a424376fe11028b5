#pragma once

#include <QAbstractButton>
#include <QIcon>

// The flat button of the main window and the coaster panel: a 32 x 32 picture and a one-line
// caption on the button face, no frame until the pointer is over it (raised frame, hot picture,
// blue caption), a sunken frame with everything one pixel right and down while pressed or
// latched.
class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    enum Layout { IconLeft = 0, IconAbove = 1 };
    static constexpr int IconSize = 32;

    explicit PictureButton(QWidget* parent = nullptr);

    // normalIcon may be null: the hot picture then serves for both.
    void Configure(const QString& caption, const QIcon& hotIcon, const QIcon& normalIcon,
                   Layout layout, bool showFocus);
    void SetLatched(bool on);
    bool isLatched() const { return latched_; }
    bool isHover() const { return hover_; }
    Layout pictureLayout() const { return layout_; }

    // The owner calls this every 50 ms: a pointer that left quickly, onto another window, may
    // not have said so.
    void pollHover();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void trackPointer(const QPoint& position, bool leftButtonDown);

    QIcon hotIcon_;
    QIcon normalIcon_;
    Layout layout_ = IconAbove;
    bool showFocus_ = false;
    bool hover_ = false;
    bool latched_ = false;
};
