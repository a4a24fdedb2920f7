#pragma once

#include "SettingsFile.h"

#include <QString>

#include <optional>

namespace korvex {

// What the pieces and joined files are written as: the item of the main
// window's format box, stored as its index in [Output] Format. The order is
// the box's and the stored number's, so new formats go at the end.
enum class OutputFormat {
    Wma = 0,
    Mp3,
    OggVorbis,
    Opus,
    Flac,
    Aac,
    Wav,
    Copy,  // the source's own codec and container, packets copied
};

inline constexpr int OutputFormatCount = 8;

// The format of a stored or chosen index; anything unknown is WMA, the default.
OutputFormat outputFormatAt(int index);

// "WMA", "MP3", …, "Same as source (no re-encoding)": the format box's items.
QString outputFormatCaption(OutputFormat format);
// "wma", "mp3", "ogg", "opus", "flac", "m4a", "wav", "copy": korvex-cli's --format words.
QString outputFormatWord(OutputFormat format);
std::optional<OutputFormat> outputFormatFromWord(const QString &word);
// The file name extension without a dot; empty for Copy, whose outputs take
// their source's.
QString outputFormatExtension(OutputFormat format);

// What the settings say beside fades and soft edges: "Same as source" cannot
// have them.
QString copyCannotFadeNote();

// [Output] Format of the file, WMA when missing or unknown.
OutputFormat ReadOutputFormat(const SettingsFile &file);
// Throws KorvexError when the file cannot be written.
void WriteOutputFormat(SettingsFile &file, OutputFormat format);

} // namespace korvex
