#include "OutputFormat.h"

#include "Settings.h"

#include <array>

namespace korvex {

namespace {

struct FormatNames
{
    const char *caption;
    const char *word;
    const char *extension;
};

constexpr std::array<FormatNames, OutputFormatCount> Names{{
    {"WMA", "wma", "wma"},
    {"MP3", "mp3", "mp3"},
    {"Ogg Vorbis", "ogg", "ogg"},
    {"Opus", "opus", "opus"},
    {"FLAC", "flac", "flac"},
    {"AAC (M4A)", "m4a", "m4a"},
    {"WAV", "wav", "wav"},
    {"Same as source (no re-encoding)", "copy", ""},
}};

const FormatNames &namesOf(OutputFormat format)
{
    return Names[static_cast<size_t>(format)];
}

} // namespace

OutputFormat outputFormatAt(int index)
{
    if (index < 0 || index >= OutputFormatCount)
        return OutputFormat::Wma;
    return static_cast<OutputFormat>(index);
}

QString outputFormatCaption(OutputFormat format)
{
    return QString::fromLatin1(namesOf(format).caption);
}

QString outputFormatWord(OutputFormat format)
{
    return QString::fromLatin1(namesOf(format).word);
}

std::optional<OutputFormat> outputFormatFromWord(const QString &word)
{
    for (int i = 0; i < OutputFormatCount; ++i) {
        if (word.compare(QLatin1String(Names[i].word), Qt::CaseInsensitive) == 0)
            return outputFormatAt(i);
    }
    return std::nullopt;
}

QString outputFormatExtension(OutputFormat format)
{
    return QString::fromLatin1(namesOf(format).extension);
}

QString copyCannotFadeNote()
{
    return QStringLiteral("Fades and soft edges change the audio, so \"Same as source\" (no re-encoding) cannot "
                          "have them: with them set, Korvex asks to encode instead.");
}

OutputFormat ReadOutputFormat(const SettingsFile &file)
{
    using namespace settings_keys;
    return outputFormatAt(file.readInteger(OutputSection, OutputFormatKey, 0));
}

void WriteOutputFormat(SettingsFile &file, OutputFormat format)
{
    using namespace settings_keys;
    file.writeInteger(OutputSection, OutputFormatKey, static_cast<int>(format));
}

} // namespace korvex
