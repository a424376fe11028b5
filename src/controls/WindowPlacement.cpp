#include "WindowPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <limits>

namespace WindowPlacement {

namespace {

const QRect* areaFor(const QRect& frame, const QList<QRect>& areas)
{
    const QRect* best = nullptr;
    qint64 bestOverlap = 0;
    for (const QRect& area : areas) {
        const QRect common = area.intersected(frame);
        const qint64 overlap = qint64(common.width()) * common.height();
        if (overlap > bestOverlap) {
            best = &area;
            bestOverlap = overlap;
        }
    }
    if (best)
        return best;
    qint64 nearest = std::numeric_limits<qint64>::max();
    for (const QRect& area : areas) {
        const QPoint d = area.center() - frame.center();
        const qint64 distance = qint64(d.x()) * d.x() + qint64(d.y()) * d.y();
        if (distance < nearest) {
            best = &area;
            nearest = distance;
        }
    }
    return best;
}

QMargins marginsOf(const QWidget& window)
{
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

} // namespace

QRect fitted(const QRect& frame, const QList<QRect>& areas)
{
    const QRect* area = areaFor(frame, areas);
    if (!area)
        return frame;
    QRect result(frame.topLeft(), frame.size().boundedTo(area->size()).expandedTo(QSize(1, 1)));
    if (result.right() > area->right())
        result.moveRight(area->right());
    if (result.bottom() > area->bottom())
        result.moveBottom(area->bottom());
    if (result.left() < area->left())
        result.moveLeft(area->left());
    if (result.top() < area->top())
        result.moveTop(area->top());
    return result;
}

QRect beside(const QSize& size, const QList<QRect>& taken, const QList<QRect>& areas)
{
    if (taken.isEmpty())
        return QRect(QPoint(), size);
    const QRect& anchor = taken.first();
    QList<int> tops;
    for (const QRect& other : taken)
        tops << other.top() << other.bottom() + 1 + Gap;
    const int lefts[] = {anchor.right() + 1 + Gap, anchor.left() - Gap - size.width()};
    const QRect* area = areaFor(anchor, areas);
    for (int left : lefts)
        for (int top : std::as_const(tops)) {
            const QRect tried(QPoint(left, top), size);
            if (area && !area->contains(tried))
                continue;
            if (std::none_of(taken.cbegin(), taken.cend(),
                             [&](const QRect& other) { return other.intersects(tried); }))
                return tried;
        }
    return fitted(QRect(QPoint(lefts[0], anchor.top()), size), areas);
}

QList<QRect> availableAreas()
{
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    return areas;
}

QMargins frameMargins(const QWidget& window)
{
    if (const QMargins own = marginsOf(window); !own.isNull())
        return own;
    for (const QWidget* other : QApplication::topLevelWidgets())
        if (other != &window && other->isVisible() && !marginsOf(*other).isNull())
            return marginsOf(*other);
    return {};
}

int titleWidth(const QWidget& window)
{
    QFont bold = window.font();
    bold.setBold(true);
    return QFontMetrics(bold).horizontalAdvance(window.windowTitle()) + TitleBarRoom;
}

void widenForTitle(QWidget& window)
{
    window.setMinimumWidth(std::max(window.minimumWidth(), titleWidth(window)));
}

QRect frame(const QWidget& window)
{
    const QRect client = window.isVisible() && !window.isMaximized() && !window.isFullScreen()
                             ? window.geometry()
                             : window.normalGeometry();
    const QMargins own = marginsOf(window);
    if (own.isNull()) {
        // Not framed yet: the position place() gave is the frame's already.
        return {client.topLeft(), client.size().grownBy(frameMargins(window))};
    }
    return client.marginsAdded(own);
}

namespace {

void moveAndSize(QWidget& window, const QRect& frame)
{
    const QRect outer = fitted(frame, availableAreas());
    window.resize(outer.marginsRemoved(frameMargins(window)).size());
    // A top-level window's position is its frame's, once the window manager knows it and before.
    window.move(outer.topLeft());
}

// The window manager tells the frame only once it has framed the window, which it has when it
// shows the window: then the size is set again from the frame the window really has.
class PlaceAgainWhenFramed : public QObject {
public:
    PlaceAgainWhenFramed(QWidget& window, const QRect& frame)
        : QObject(&window)
        , window_(window)
        , frame_(frame)
        , given_(window.size())
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &window_ && event->type() == QEvent::Show && window_.windowHandle()) {
            window_.removeEventFilter(this);
            window_.windowHandle()->installEventFilter(this);
        } else if (watched != &window_ && event->type() == QEvent::Expose) {
            watched->removeEventFilter(this);
            // A size or a place set since is someone's choice, not ours to undo.
            QTimer::singleShot(0, &window_, [window = &window_, frame = frame_, given = given_] {
                if (window->size() == given &&
                    window->pos() == fitted(frame, availableAreas()).topLeft() &&
                    !marginsOf(*window).isNull())
                    moveAndSize(*window, frame);
            });
            deleteLater();
        }
        return false;
    }

private:
    QWidget& window_;
    QRect frame_;
    QSize given_;
};

} // namespace

void place(QWidget& window, const QRect& frame)
{
    moveAndSize(window, frame);
    if (!window.isVisible())
        new PlaceAgainWhenFramed(window, frame);
}

} // namespace WindowPlacement
