#include "settings/SilenceSettings.h"

#include "settings/SettingsFile.h"

#include <QtGlobal>

namespace korvex {

using namespace settings_keys;

SilenceSettings Clamped(const SilenceSettings &settings)
{
    return {qBound(SilenceSettings::LowestThreshold, settings.Threshold, SilenceSettings::HighestThreshold),
            qBound(SilenceSettings::ShortestMinLength, settings.MinLength, SilenceSettings::LongestMinLength)};
}

SilenceSettings ReadSilenceSettings(const SettingsFile &file)
{
    return Clamped({file.readInteger(SilenceSection, ThresholdKey, SilenceSettings::DefaultThreshold),
                    file.readInteger(SilenceSection, MinLengthKey, SilenceSettings::DefaultMinLength)});
}

void WriteSilenceSettings(SettingsFile &file, const SilenceSettings &settings)
{
    const SilenceSettings kept = Clamped(settings);
    file.writeInteger(SilenceSection, ThresholdKey, kept.Threshold);
    file.writeInteger(SilenceSection, MinLengthKey, kept.MinLength);
}

} // namespace korvex
