#pragma once

#include "components/OutputEncoding.h"

#include <QWidget>

class QComboBox;
class QSpinBox;

namespace korvex {

class SettingsFile;
class SettingsStore;
class Tfm_set;

// The "Encoding" page of the settings dialog: the quality of every output
// format but WMA (whose profile keeps its own page). Shows [Encoding] of the
// file when the dialog opens and writes it at "Ok".
class EncoderPage : public QWidget
{
    Q_OBJECT
public:
    static const QString Title;  // the page's node in the dialog's tree

    explicit EncoderPage(QWidget *parent = nullptr);

    OutputEncoding values() const;
    void setValues(const OutputEncoding &values);

    QComboBox *cb_mp3mode = nullptr;     // "CBR" or "VBR"
    QComboBox *cb_mp3bitrate = nullptr;  // 32 to 320 kbps
    QComboBox *cb_mp3vbr = nullptr;      // V0 to V9
    QSpinBox *edt_vorbis = nullptr;      // -1 to 10
    QSpinBox *edt_opus = nullptr;        // kbps
    QSpinBox *edt_flac = nullptr;        // 0 to 8
    QSpinBox *edt_aac = nullptr;         // kbps
    QComboBox *cb_wavbits = nullptr;     // 16 or 24

private:
    void showMp3Mode();
};

// Adds the page after the dialog's pages; it reads and writes store's file.
void AddEncoderPage(Tfm_set &dialog, SettingsStore &store);

} // namespace korvex
