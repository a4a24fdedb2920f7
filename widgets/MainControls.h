#pragma once

class QAbstractItemModel;
class QComboBox;
class QItemSelectionModel;
class QPlainTextEdit;
class QTableView;
class QWidget;

namespace korvex {

// The main window's own controls, at their fixed sizes: the two report-style
// lists (they only display the job list's models), the instructions memo and
// the output format box. They lie over the skin's face.
namespace MainControls {

// A report-style list of a fixed size. Column widths are those the
// model gives as the width of its header size hint, and follow it.
QTableView *listView(QWidget *window, const char *name, int width, int height, QAbstractItemModel *model,
                     QItemSelectionModel *selection);
// "sm": ten lines of instructions, disabled and read-only.
QPlainTextEdit *instructionsMemo(QWidget *window);
// "cb_format": the output formats (FormatBox), "WMA" selected.
QComboBox *formatBox(QWidget *window);

} // namespace MainControls

} // namespace korvex
