#include "widgets/DialogLook.h"

#include <QDialog>
#include <QPalette>
#include <QPushButton>

namespace korvex {

namespace {

// Colours are the skin's (resources/skin/skin.json): body #F1F5F9, card
// borders #D5DDE8, text #1E293B, indigo #6366F1 to #4F46E5. Group box titles
// sit on the card's top border, so their background is half body, half card.
// The lists' arrow is the one picture drawn by Qt's SVG image plugin, which
// comes with the SVG library Korvex links; without it a list shows no arrow.
const char *const kDialogStyle = R"(
QDialog { background: #F1F5F9; }
QWidget { font-family: "DejaVu Sans Condensed", "Liberation Sans Narrow", "DejaVu Sans", sans-serif;
          font-size: 11px; color: #1E293B; }
QLabel#lab { font-family: "DejaVu Sans", sans-serif; font-size: 13px; font-weight: bold; color: #0F172A; }
QGroupBox { background: #FFFFFF; border: 1px solid #D5DDE8; border-radius: 7px; margin-top: 7px; }
QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 9px; padding: 0 4px;
                   color: #475569; font-weight: bold;
                   background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #F1F5F9, stop:0.5 #F1F5F9,
                                               stop:0.51 #FFFFFF, stop:1 #FFFFFF); }
QGroupBox[page="true"] { background: transparent; border: none; margin-top: 0; }
QRadioButton, QCheckBox { spacing: 3px; }
QRadioButton::indicator, QCheckBox::indicator { width: 12px; height: 12px; }
QRadioButton:hover, QCheckBox:hover { color: #312E81; }
QLineEdit { background: #FFFFFF; border: 1px solid #CBD5E1; border-radius: 5px; padding: 0 4px;
            selection-background-color: #C7D2FE; selection-color: #1E1B4B; }
QLineEdit:focus { border-color: #6366F1; }
QComboBox { background: #FFFFFF; border: 1px solid #CBD5E1; border-radius: 5px; padding: 0 2px 0 5px; }
QComboBox:hover, QComboBox:focus { border-color: #818CF8; }
QComboBox::drop-down { subcontrol-origin: padding; subcontrol-position: center right; width: 16px; border: none; }
QComboBox::down-arrow { image: url(:/korvex/default-skin/icons/chevron-down.svg); width: 10px; height: 10px; }
QComboBox QAbstractItemView { background: #FFFFFF; border: 1px solid #D5DDE8; outline: 0;
                              selection-background-color: #E0E7FF; selection-color: #312E81; }
QTreeView { background: #FFFFFF; border: 1px solid #D5DDE8; border-radius: 7px; padding: 3px 0;
            outline: 0; show-decoration-selected: 1; }
QTreeView::item { padding: 2px 2px; border-radius: 4px; }
QTreeView::item:hover { background: #F1F5FF; }
QTreeView::item:selected { background: #E0E7FF; color: #312E81; }
QPushButton { font-family: "DejaVu Sans Condensed", "DejaVu Sans", sans-serif; font-size: 12px;
              background: #FFFFFF; border: 1px solid #D5DDE8; border-radius: 6px; padding: 0 4px; color: #1E293B; }
QPushButton:hover { background: #EEF2FF; border-color: #A5B4FC; color: #312E81; }
QPushButton:pressed { background: #E0E7FF; border-color: #818CF8; }
QPushButton:focus { border-color: #818CF8; }
QPushButton:disabled { background: #F8FAFC; border-color: #E2E8F0; color: #94A3B8; }
QPushButton[compact="true"] { font-size: 11px; padding: 0 2px; }
QPushButton[primary="true"] { font-weight: bold; color: #FFFFFF; border-color: #4338CA;
                              background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #6366F1, stop:1 #4F46E5); }
QPushButton[primary="true"]:hover { border-color: #4F46E5;
                                    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #818CF8, stop:1 #6366F1); }
QPushButton[primary="true"]:pressed { background: #4338CA; }
QPushButton[primary="true"]:disabled { color: #E0E7FF; border-color: #A5B4FC; background: #A5B4FC; }
QScrollBar:vertical { background: transparent; width: 8px; margin: 2px 1px; }
QScrollBar::handle:vertical { background: #CBD5E1; border-radius: 3px; min-height: 24px; }
QScrollBar:horizontal { background: transparent; height: 8px; margin: 1px 2px; }
QScrollBar::handle:horizontal { background: #CBD5E1; border-radius: 3px; min-width: 24px; }
QScrollBar::add-line, QScrollBar::sub-line { height: 0; width: 0; }
QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }
)";

} // namespace

void ApplyDialogLook(QDialog *dialog)
{
    // The palette carries the accent into what the style sheet leaves to the
    // platform style: the radio and check indicators.
    QPalette palette = dialog->palette();
    palette.setColor(QPalette::Window, QColor(0xF1, 0xF5, 0xF9));
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, QColor(0x1E, 0x29, 0x3B));
    palette.setColor(QPalette::WindowText, QColor(0x1E, 0x29, 0x3B));
    palette.setColor(QPalette::Highlight, QColor(0x63, 0x66, 0xF1));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    dialog->setPalette(palette);
    dialog->setStyleSheet(QString::fromLatin1(kDialogStyle));
}

void MarkPrimaryButton(QPushButton *button)
{
    button->setProperty("primary", true);
}

void MarkCompactButton(QPushButton *button)
{
    button->setProperty("compact", true);
}

} // namespace korvex
