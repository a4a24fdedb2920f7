#pragma once

#include "OutputFormat.h"
#include "SettingsFile.h"
#include "SilenceSettings.h"
#include "components/OutputEncoding.h"

#include <QString>

#include <optional>

namespace korvex {

// Values of SplitMode, the "Function Choice" setting.
namespace split_mode {
inline constexpr int Custom = 0;       // the user's own segments
inline constexpr int Time = 1;         // pieces of SplitSeconds seconds
inline constexpr int Count = 2;        // SplitCount equal pieces
inline constexpr int Unification = 3;  // the first entry's segments for every entry
} // namespace split_mode

// The in-memory settings: read once at start-up, written back once at shutdown.
// Only the settings dialog changes them; everything else reads them.
struct Settings
{
    int SplitMode = split_mode::Custom;
    QString OutputFolder;     // ends in "/" after LoadSettings and the dialog's OK
    int SplitSeconds = 60;
    int SplitCount = 6;
    bool FadeIn = false;
    bool FadeOut = false;
    int FadeInSeconds = 5;
    int FadeOutSeconds = 5;
    bool SkinFlag = false;
    // [Fade] Edge: milliseconds of ramp at every piece's start and end and at
    // every border inside a joined file; 0 is none. Read at start-up; the
    // settings dialog's Silence page sets it and writes it to the file at
    // "Ok" (korvex-cli's --edge sets it for its run only).
    int EdgeMs = 0;
    // How a run finds pauses and how far it moves cuts into them, when
    // korvex-cli's options set it for its run; otherwise [Silence] and
    // [Function] Adjust of Korvex.ini are read where they are used, so the
    // settings page's changes count at once.
    std::optional<SilenceSettings> SilenceOverride;
    // [Output] Format: what runs write. Read at start-up; the main window's
    // format box sets it and writes it to the file at once (korvex-cli's
    // --format sets it for its run only).
    OutputFormat Format = OutputFormat::Wma;
    // [Output] Pattern: how split pieces are named, empty for the caption's
    // numbered names. Read at start-up; the Silence page sets it and writes
    // it at "Ok" (korvex-cli's --pattern sets it for its run only).
    QString Pattern;
    // The qualities of the formats other than WMA when korvex-cli's options
    // set them for its run; otherwise [Encoding] of Korvex.ini is read at
    // every output, so the settings page's changes count at once.
    std::optional<OutputEncoding> EncodingOverride;
};

// The silence settings a run uses: the override, or the file's.
SilenceSettings RunSilenceSettings(const Settings &settings, const SettingsFile &file);

// Sections and keys that the dialogs and runs read or write directly.
namespace settings_keys {
inline const QString FunctionSection = QStringLiteral("Function");
inline const QString ChoiceKey = QStringLiteral("Choice");
inline const QString OutputSection = QStringLiteral("Output");
inline const QString DirKey = QStringLiteral("Dir");
inline const QString OutputFormatKey = QStringLiteral("Format");
inline const QString PatternKey = QStringLiteral("Pattern");
inline const QString ChoiceSection = QStringLiteral("Choice");
inline const QString TimeKey = QStringLiteral("time");
inline const QString CountKey = QStringLiteral("Count");
inline const QString FadeSection = QStringLiteral("Fade");
inline const QString InKey = QStringLiteral("In");
inline const QString OutKey = QStringLiteral("Out");
inline const QString InTimeKey = QStringLiteral("Intime");
inline const QString OutTimeKey = QStringLiteral("Outtime");
inline const QString EdgeKey = QStringLiteral("Edge");
inline const QString BrnSection = QStringLiteral("BRN");
inline const QString SkinKey = QStringLiteral("Skin");
// The WMA profile index lives only in the file.
inline const QString WmaSection = QStringLiteral("wma");
inline const QString FormatKey = QStringLiteral("format");
inline const QString MainSection = QStringLiteral("Main");
inline const QString PathKey = QStringLiteral("Path");
// The folder files were last added from, where Add File and Add Folder open.
inline const QString AddSection = QStringLiteral("Add");
inline const QString FolderKey = QStringLiteral("Folder");
} // namespace settings_keys

// The longest soft edge, in milliseconds.
inline constexpr int MaxEdgeMs = 10000;

// [Fade] Edge of the file, brought into 0 to MaxEdgeMs.
int ReadEdgeMs(const SettingsFile &file);
// Throws KorvexError when the file cannot be written.
void WriteEdgeMs(SettingsFile &file, int edgeMs);

// "WMA9 44KHz, 128Kbps, Stereo, CBR", position 9 of the profile list.
inline constexpr int DefaultWmaProfileIndex = 9;

// Korvex.ini in $XDG_CONFIG_HOME, else in ~/.config.
QString settingsFilePath();

// The user's music folder with a trailing "/".
QString defaultOutputFolder();

// Owns the in-memory settings and the settings file that serves every later
// single-key read and write (WMA profile, output folder, typed path).
class SettingsStore
{
public:
    SettingsStore();
    explicit SettingsStore(const QString &fileName);

    // Fills the in-memory settings from the file (a missing file gives every
    // default), creates a missing output folder one level deep and makes the
    // folder end in "/".
    void LoadSettings();
    // Writes every in-memory setting back; a refused write throws and the
    // writes after it are not made.
    void SaveSettings();

    Settings &settings() { return m_settings; }
    const Settings &settings() const { return m_settings; }
    SettingsFile &file() { return m_file; }
    const SettingsFile &file() const { return m_file; }

    // "wma"/"format", default 9.
    int wmaProfileIndex() const;

private:
    SettingsFile m_file;
    Settings m_settings;
};

} // namespace korvex
