#pragma once

#include "components/Seams.h"

#include <QChar>
#include <QString>
#include <QStringList>

namespace korvex {

class SettingsStore;

// What the settings dialog's controls hold, as plain values. The dialog fills
// its widgets from one of these when it shows and reads one back at "Ok"; the
// rules between the controls and the settings live here, where a test or a
// front end without widgets can drive them.
struct SettingsForm
{
    int checkedMode = -1;   // the SplitMode whose radio button is checked; -1: none
    QString dirText;        // edt_dir
    QString timeText;       // edt_time
    QString countText;      // edt_count
    bool fadeIn = false;    // cb_fadein
    bool fadeOut = false;   // cb_fadeout
    int fadeInItem = -1;    // cb_fadeintime: item i stands for i + 1 seconds; -1: none selected
    int fadeOutItem = -1;   // cb_fadeouttime
    int wmaItem = -1;       // cb_wma: the profile index; -1: none selected (a typed text)
};

// What a number field is set to when it is left empty or below 1.
inline constexpr int TimeFieldFallback = 60;
inline constexpr int CountFieldFallback = 1;

// The 20 items of the fade lists, "1s" to "20s".
QStringList FadeLengthItems();
// The 47 items of cb_wma, in profile-index order.
QStringList WmaProfileItems();

// Show: the radio button of SplitMode, the folder, the numbers, the fades and
// the profile index stored in "wma"/"format". A fade length outside 1 to 20 or
// a stored index outside 0 to 46 selects no item.
SettingsForm SettingsFormFromStore(const SettingsStore &store);

// A key typed into edt_time or edt_count: digits go in; every other character
// (a letter, a blank, Enter, the clipboard keys' control characters) becomes
// a backspace.
QChar NumberFieldKey(QChar typed);

// The number in a field. Throws KorvexError("'<text>' is not a valid integer
// value") for anything that is not a whole number within 32 bits.
int NumberFieldValue(const QString &text);

// Leaving a number field: empty or below 1 becomes the fallback; a text that
// is not a number throws as NumberFieldValue does.
QString LeftNumberField(const QString &text, int fallback);

// The profile index "Ok" stores for cb_wma: the selected item while its text
// is what the box shows; else the first profile whose text was typed exactly;
// else -1.
int ChosenWmaItem(int currentItem, const QString &shownText);

// What the encoder makes of the profile at `item` (-1: a text that is no
// profile, which the writer replaces by its default), for the WMA page.
QString WmaEncodingNote(int item);

// "Ok", steps 1 to 6: folder, numbers, the typed path into "Main"/"Path",
// fades, the profile index into "wma"/"format"; then every in-memory setting
// goes to the file, as at shutdown, so that korvex-cli reads what the window
// uses. SplitMode is not changed: the radio buttons set (and write) it at
// their click. An empty folder text keeps the folder
// that was set (said in an information message) and stores nothing for it.
// Throws KorvexError for a number that is not one and for a refused write;
// the steps before it have taken effect.
void ApplySettingsForm(SettingsStore &store, const SettingsForm &form, MessageSeam &messages);

} // namespace korvex
