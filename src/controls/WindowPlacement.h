#pragma once

#include <QList>
#include <QMargins>
#include <QRect>

class QWidget;

// Top-level windows are placed by their frames, title bar and borders included, inside the
// available area of a screen (without panels and docks): a window whose caption is off the
// screen cannot be dragged by it. A place stored on a larger screen, or on a second screen that is
// gone, comes back inside a screen that is there.
namespace WindowPlacement {

// Between a window and the one it stands beside.
constexpr int Gap = 8;
// What a title bar keeps for the window's icon and its buttons, besides the title.
constexpr int TitleBarRoom = 120;

// The frame moved, and shrunk where it is larger, into the area it overlaps most (the nearest
// one when it overlaps none). Without areas it stays as it is.
QRect fitted(const QRect& frame, const QList<QRect>& areas);

// A frame of that size beside taken.first() (right of it, else left of it), level with one of the
// taken frames' tops or just below one of them, inside an area and over none of them. When
// nothing fits, the first try fitted into the area.
QRect beside(const QSize& size, const QList<QRect>& taken, const QList<QRect>& areas);

// The available areas of the screens there are now.
QList<QRect> availableAreas();

// What the window manager adds around the window; before it has framed the window, what it added
// around another window on show, or a title bar's height above when none is shown yet.
QMargins frameMargins(const QWidget& window);

// The window's frame in its normal (not maximised) state.
QRect frame(const QWidget& window);

// The width the window needs for the window manager to show its whole title, in a bold face as
// title bars often have it.
int titleWidth(const QWidget& window);
// At least that wide: a narrow dialog's title is otherwise cut in the title bar.
void widenForTitle(QWidget& window);

// Moves and sizes the window so that its frame is `frame` fitted into the available areas.
void place(QWidget& window, const QRect& frame);

} // namespace WindowPlacement
