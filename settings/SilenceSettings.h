#pragma once

#include <QString>

namespace korvex {

class SettingsFile;

// How "Find Silences" and korvex-cli's silence scan tell sound from pause:
// a 10 ms window whose level stays below Threshold (dBFS) is silent, and only
// a silence of at least MinLength milliseconds separates two pieces. The cut
// lies at Offset inside the pause (0 its beginning, 1 its end); Trim, when
// above 0, keeps at most that many milliseconds of pause at a piece's edge
// and leaves the rest of the pause out. AdjustMs, when above 0, moves every
// cut of a time or count split to the nearest pause within that many
// milliseconds. Kept in the section [Silence] of Korvex.ini (Adjust in
// whole seconds under [Function]); read where it is used and written by
// the settings page at once, key by key, as the dialogs' other writes are.
struct SilenceSettings
{
    static constexpr int DefaultThreshold = -40;
    static constexpr int DefaultMinLength = 700;
    // The ranges the page offers; a hand-edited value outside them is taken
    // as the nearest end.
    static constexpr int LowestThreshold = -90;
    static constexpr int HighestThreshold = -1;
    static constexpr int ShortestMinLength = 10;
    static constexpr int LongestMinLength = 60000;
    static constexpr double DefaultOffset = 0.5;
    static constexpr int LongestTrim = 60000;
    static constexpr qint64 LongestAdjustMs = 600000;

    int Threshold = DefaultThreshold;
    int MinLength = DefaultMinLength;
    double Offset = DefaultOffset;
    int Trim = 0;  // milliseconds, 0 keeps every pause whole
    qint64 AdjustMs = 0;  // 0 leaves the cuts of time and count splits where they are

    bool operator==(const SilenceSettings &) const = default;
};

namespace settings_keys {
inline const QString SilenceSection = QStringLiteral("Silence");
inline const QString ThresholdKey = QStringLiteral("Threshold");
inline const QString MinLengthKey = QStringLiteral("MinLength");
inline const QString OffsetKey = QStringLiteral("Offset");
inline const QString TrimKey = QStringLiteral("Trim");
inline const QString AdjustKey = QStringLiteral("Adjust");  // in [Function]
} // namespace settings_keys

SilenceSettings ReadSilenceSettings(const SettingsFile &file);
// Throws KorvexError when the file cannot be written.
void WriteSilenceSettings(SettingsFile &file, const SilenceSettings &settings);
// Every value brought into its range (an Offset that is no number is the
// default).
SilenceSettings Clamped(const SilenceSettings &settings);

} // namespace korvex
