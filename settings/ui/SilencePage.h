#pragma once

#include "settings/SilenceSettings.h"

#include <QWidget>

class QDoubleSpinBox;
class QLineEdit;
class QSpinBox;

namespace korvex {

class SettingsFile;
class SettingsStore;
class Tfm_set;

// The "Silence" page of the settings dialog: the name pattern of split
// pieces, how loud a pause may be and how
// long it must last for Find Silences to cut there, how far time and count
// cuts move into pauses, and the soft edges of every cut ([Fade] Edge). The
// dialog shows the file's values with load() when it opens and writes them
// with save() on OK.
class SilencePage : public QWidget
{
    Q_OBJECT
public:
    static const QString Title;  // the page's name in the dialog's tree

    explicit SilencePage(QWidget *parent = nullptr);

    void load(const SettingsFile &file);
    // Throws KorvexError when the file cannot be written.
    void save(SettingsFile &file) const;

    SilenceSettings values() const;
    void setValues(const SilenceSettings &values);
    // Milliseconds, brought into 0 to MaxEdgeMs.
    int edgeMs() const;
    void setEdgeMs(int edgeMs);

    QSpinBox *edt_Threshold = nullptr;
    QSpinBox *edt_MinLength = nullptr;
    QDoubleSpinBox *edt_Offset = nullptr;
    QSpinBox *edt_Trim = nullptr;
    QSpinBox *edt_Adjust = nullptr;  // seconds, [Function] Adjust
    QSpinBox *edt_Edge = nullptr;    // milliseconds, [Fade] Edge
    QLineEdit *edt_Pattern = nullptr;  // [Output] Pattern, how pieces are named
};

// Adds the page to the settings dialog's tree, after the pages it has: it
// shows the file's values when the dialog opens and writes them at "Ok",
// where the soft edge and the name pattern also become the in-memory settings
// the runs use.
void AddSilencePage(Tfm_set &dialog, SettingsStore &store);

} // namespace korvex
