#pragma once

#include "OutputFormat.h"
#include "Settings.h"
#include "SettingsFile.h"
#include "components/OutputEncoding.h"

namespace korvex {

// The quality of every format but WMA, kept in Korvex.ini's [Encoding]
// section (WMA keeps its profile in [wma]). Missing or hand-edited values
// read as the defaults or the nearest value in range.
OutputEncoding ReadEncoderQualities(const SettingsFile &file);
// Throws KorvexError when the file cannot be written.
void WriteEncoderQualities(SettingsFile &file, const OutputEncoding &qualities);

// The codec a format encodes with: WMA for WMA, and for Copy, whose pieces
// are not encoded by these writers.
EncodedCodec CodecOfFormat(OutputFormat format);

// The extension (without its dot) of the files a run writes in `format`:
// the format's own, "wma" for Copy until its outputs are named by their source.
QString RunExtension(OutputFormat format);

// The qualities with the codec of `format` chosen.
OutputEncoding EncodingFor(OutputFormat format, const OutputEncoding &qualities);

// What a run encodes its outputs with: the format of the settings with the
// override's qualities, or the file's.
OutputEncoding RunEncoding(const Settings &settings, const SettingsFile &file);

} // namespace korvex
