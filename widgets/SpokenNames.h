#pragma once

class QString;
class QWidget;

namespace korvex {

// Names a control for screen readers. On Linux a combo box is read by its
// value ("5s") and labelled through the labels whose buddy it is, so a combo
// box also gets a hidden label of that name beside it.
void NameForScreenReaders(QWidget *control, const QString &name);

} // namespace korvex
