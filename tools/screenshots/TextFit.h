#pragma once

#include <QStringList>

class QWidget;

// The texts of a window that its widgets cut: labels, buttons, check boxes, group and tab titles,
// list columns and their cells, the current entry of a drop-down list, and the window's own title
// in its title bar. Each is compared, in the widget's own font, with the room the widget gives
// it. A cell whose tooltip holds its whole text may be cut. One line per fault.
namespace TextFit {

QStringList cutTexts(const QWidget& window);

// The window's frame where it is not inside the available area of its screen.
QStringList placementFaults(const QWidget& window);

} // namespace TextFit
