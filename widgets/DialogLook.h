#pragma once

class QDialog;
class QPushButton;

namespace korvex {

// The dialogs wear the main window's skin: its slate body, white cards with
// soft borders, indigo accents and the DejaVu faces of the lists and buttons.
// Controls keep the places and sizes of their design; the look only colours
// and sets the faces, sized so that every caption fits its control.
void ApplyDialogLook(QDialog *dialog);

// The one button of a dialog drawn in the skin's indigo, as the main
// window's Split and Join are.
void MarkPrimaryButton(QPushButton *button);

// A button whose design leaves its caption little room: the list face.
void MarkCompactButton(QPushButton *button);

} // namespace korvex
