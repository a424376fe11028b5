#include "PictureButton.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>

PictureButton::PictureButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

void PictureButton::Configure(const QString& caption, const QIcon& hotIcon, const QIcon& normalIcon,
                              Layout layout, bool showFocus)
{
    setText(caption);
    showFocus_ = showFocus;
    hotIcon_ = hotIcon;
    normalIcon_ = normalIcon.isNull() ? hotIcon : normalIcon;
    layout_ = layout;
    updateGeometry();
    repaint();
}

void PictureButton::SetLatched(bool on)
{
    latched_ = on;
    update();
}

QSize PictureButton::sizeHint() const
{
    const QSize caption = fontMetrics().size(Qt::TextSingleLine | Qt::TextShowMnemonic,
                                             text().isEmpty() ? QStringLiteral(" ") : text());
    if (layout_ == IconLeft)
        return {IconSize + 3 + caption.width() + 12, std::max(IconSize, caption.height()) + 8};
    return {std::max(IconSize, caption.width()) + 12, IconSize + caption.height() + 8};
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& colours = palette();
    const QRect r = rect();
    const bool sunk = isDown() || latched_;

    // 1. Face.
    painter.fillRect(r, colours.color(QPalette::Button));

    // 2. Frame: sunken while pressed or latched, raised under the pointer, none otherwise.
    if (sunk || hover_) {
        const QColor topLeft = colours.color(sunk ? QPalette::Dark : QPalette::Light);
        const QColor bottomRight = colours.color(sunk ? QPalette::Light : QPalette::Dark);
        const int left = r.left(), top = r.top(), right = r.right(), bottom = r.bottom();
        painter.setPen(topLeft);
        painter.drawLine(left, bottom, left, top);
        painter.drawLine(left, top, right, top);
        painter.setPen(bottomRight);
        painter.drawLine(left, bottom, right, bottom);
        painter.drawLine(right, bottom, right, top);
    }

    // 3. Picture.
    QRect icon = r;
    QRect caption = r;
    const bool hasCaption = !text().isEmpty();
    if (!hotIcon_.isNull()) {
        if (layout_ == IconLeft) {
            if (hasCaption) {
                icon.setLeft(icon.left() + 3);
                caption.setLeft(caption.left() + IconSize + 3);
            } else {
                icon.setLeft(icon.left() + (r.width() - IconSize) / 2);
            }
            icon.setTop(icon.top() + (r.height() - IconSize) / 2);
        } else {
            icon.setLeft(icon.left() + (r.width() - IconSize) / 2);
            if (hasCaption)
                caption.setTop(caption.top() + IconSize);
            else
                icon.setTop(icon.top() + (r.height() - IconSize) / 2);
        }
        if (sunk)
            icon.translate(1, 1);
        const QIcon& picture = (hover_ || sunk) ? hotIcon_ : normalIcon_;
        painter.drawPixmap(icon.topLeft(),
                           picture.pixmap(QSize(IconSize, IconSize),
                                          isEnabled() ? QIcon::Normal : QIcon::Disabled));
    }

    // 4. Caption, one line, centred in what is left.
    if (hasCaption) {
        if (sunk)
            caption.translate(1, 1);
        const QRect measured = painter.fontMetrics().boundingRect(
            caption, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, text());
        if (!isEnabled()) {
            // Embossed: a light copy one pixel down and right under the shadow-coloured text.
            painter.setPen(colours.color(QPalette::Light));
            painter.drawText(measured.translated(1, 1), Qt::AlignCenter | Qt::TextShowMnemonic,
                             text());
            painter.setPen(colours.color(QPalette::Dark));
        } else {
            painter.setPen((hover_ || isDown()) ? QColor(0, 0, 255)
                                                : colours.color(QPalette::ButtonText));
        }
        painter.drawText(measured, Qt::AlignCenter | Qt::TextShowMnemonic, text());
    }

    // 5. Focus: a dotted frame of our own, as the style may draw none on a flat face, in every
    // state alike.
    if (hasFocus() && showFocus_) {
        QPen dotted(colours.color(QPalette::ButtonText), 1, Qt::DotLine);
        painter.setPen(dotted);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r.adjusted(3, 3, -4, -4));
    }
}

void PictureButton::trackPointer(const QPoint& position, bool leftButtonDown)
{
    if (leftButtonDown && !hover_)
        return;
    // A disabled button takes no notice of the pointer.
    const bool inside = isEnabled() && rect().contains(position);
    if (inside != hover_) {
        hover_ = inside;
        update();
    }
}

void PictureButton::mouseMoveEvent(QMouseEvent* event)
{
    trackPointer(event->position().toPoint(), event->buttons().testFlag(Qt::LeftButton));
    QAbstractButton::mouseMoveEvent(event);
}

void PictureButton::enterEvent(QEnterEvent* event)
{
    trackPointer(event->position().toPoint(), false);
    QAbstractButton::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent* event)
{
    pollHover();
    QAbstractButton::leaveEvent(event);
}

void PictureButton::pollHover()
{
    if (hover_ && !rect().contains(mapFromGlobal(QCursor::pos())))
        trackPointer(mapFromGlobal(QCursor::pos()), false);
}
