#include "cli/CliCopy.h"

#include "components/KorvexError.h"
#include "components/SourceCopier.h"
#include "engine/CopyNames.h"
#include "engine/CopyRuns.h"
#include "settings/EncoderSettings.h"
#include "settings/Settings.h"

namespace korvex::cli {

void CheckCopyPossible(const Settings &settings, const QStringList &files, bool join)
{
    if (const QString blocked = CopyBlockedBySettings(settings); !blocked.isEmpty())
        throw UsageError(blocked);
    QList<CodedFormat> formats;
    try {
        for (const QString &file : files)
            formats.append(ProbeCodedFormat(file));
    } catch (const KorvexError &error) {
        throw UsageError(error.text());
    }
    for (const CodedFormat &format : formats) {
        if (const QString refusal = CopyRefusal(format); !refusal.isEmpty())
            throw UsageError(refusal);
    }
    if (join) {
        if (const QString refusal = JoinCopyRefusal(formats); !refusal.isEmpty())
            throw UsageError(refusal);
    }
}

QString JoinExtension(const CliOptions &options, const QStringList &files)
{
    const OutputFormat format = options.format.value_or(ReadOutputFormat(SettingsStore().file()));
    if (format != OutputFormat::Copy || files.isEmpty())
        return RunExtension(format);
    return SourceExtension(files.first());
}

} // namespace korvex::cli
