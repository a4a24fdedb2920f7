#pragma once

#include <QStringList>

class QWidget;

namespace korvex {

// How keyboard and screen reader users reach the main window's controls.
namespace WindowAccess {

// The objects Tab walks, by object name, in reading order: the menu row,
// Add, the format, the list buttons, the lists, the run buttons, the play
// slider and the player's row.
const QStringList &tabOrder();

// Gives the window's own controls the names a screen reader says ("Files",
// "Segments", ...), puts every control that takes the focus, skin objects
// included, into the Tab order above (controls it does not name follow in
// the order they were made) and gives the file list the focus. Called once
// the skin's form is on the window.
void prepare(QWidget *window);

} // namespace WindowAccess

} // namespace korvex
