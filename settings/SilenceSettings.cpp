#include "settings/SilenceSettings.h"

#include "settings/Settings.h"
#include "settings/SettingsFile.h"

#include <QtGlobal>

#include <cmath>

namespace korvex {

using namespace settings_keys;

SilenceSettings Clamped(const SilenceSettings &settings)
{
    const double offset = std::isfinite(settings.Offset) ? settings.Offset : SilenceSettings::DefaultOffset;
    return {qBound(SilenceSettings::LowestThreshold, settings.Threshold, SilenceSettings::HighestThreshold),
            qBound(SilenceSettings::ShortestMinLength, settings.MinLength, SilenceSettings::LongestMinLength),
            qBound(0.0, offset, 1.0), qBound(0, settings.Trim, SilenceSettings::LongestTrim),
            qBound(qint64(0), settings.AdjustMs, SilenceSettings::LongestAdjustMs)};
}

SilenceSettings ReadSilenceSettings(const SettingsFile &file)
{
    bool isNumber = false;
    const double offset = file.readString(SilenceSection, OffsetKey, QString()).trimmed().toDouble(&isNumber);
    return Clamped({file.readInteger(SilenceSection, ThresholdKey, SilenceSettings::DefaultThreshold),
                    file.readInteger(SilenceSection, MinLengthKey, SilenceSettings::DefaultMinLength),
                    isNumber ? offset : SilenceSettings::DefaultOffset,
                    file.readInteger(SilenceSection, TrimKey, 0),
                    qint64(file.readInteger(FunctionSection, AdjustKey, 0)) * 1000});
}

void WriteSilenceSettings(SettingsFile &file, const SilenceSettings &settings)
{
    const SilenceSettings kept = Clamped(settings);
    file.writeInteger(SilenceSection, ThresholdKey, kept.Threshold);
    file.writeInteger(SilenceSection, MinLengthKey, kept.MinLength);
    file.writeString(SilenceSection, OffsetKey, QString::number(kept.Offset));
    file.writeInteger(SilenceSection, TrimKey, kept.Trim);
    // whole seconds in the file; a fraction (korvex-cli --adjust) is rounded
    file.writeInteger(FunctionSection, AdjustKey, int((kept.AdjustMs + 500) / 1000));
}

SilenceSettings RunSilenceSettings(const Settings &settings, const SettingsFile &file)
{
    return Clamped(settings.SilenceOverride.value_or(ReadSilenceSettings(file)));
}

} // namespace korvex
