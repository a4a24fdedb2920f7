#include "cli/CliCommands.h"
#include "cli/CliList.h"
#include "cli/CliEncoding.h"
#include "cli/CliCopy.h"
#include "cli/CliOptions.h"
#include "cli/CliSeams.h"
#include "cli/Interrupt.h"
#include "components/AudioFile.h"
#include "components/AudioTransform.h"
#include "components/FfmpegLog.h"
#include "components/KorvexError.h"
#include "components/MessagePump.h"
#include "core/Core.h"

#include <QCoreApplication>

#include <cstdio>

extern "C" {
#include <libavutil/log.h>
}

using namespace korvex;
using namespace korvex::cli;

namespace {

CliOptions parseOrExit(const QStringList &arguments)
{
    try {
        return ParseCommandLine(arguments);
    } catch (const UsageError &error) {
        PrintError(error.text);
        PrintError(QStringLiteral("see korvex-cli --help"));
        std::exit(exit_code::BadInput);
    }
}

int runCommand(const CliOptions &options)
{
    const bool info = options.command == CliOptions::Command::Info;
    AudioFile reader;
    const CheckedSources sources = CheckSources(options.files, reader);
    for (const QString &refusal : sources.refusals)
        PrintError(refusal);
    if (!info && !sources.refusals.isEmpty())
        return exit_code::BadInput;
    const QString joinOutput = options.command == CliOptions::Command::Join
                                   ? CheckedJoinOutput(options.output, options.overwrite, sources.paths,
                                                       JoinExtension(options, sources.paths))
                                   : QString();
    TerminalMessages messages;
    CommandLineDialogs dialogs(sources.paths, joinOutput);
    NoLauncher launcher;
    AudioFile writer;
    AudioTransform transform;
    reader.setOptionValue(-1);
    writer.setOptionValue(-1);
    Core core({reader, writer, transform}, Seams{&messages, &dialogs, &launcher});

    InstallInterruptHandler();
    // Ctrl-C ends the session as closing the window does, so the file it
    // cuts short is named afterwards.
    SetMessagePumpHook([&core] {
        if (Interrupted())
            core.control().SessionEnding();
    });
    int code = exit_code::Done;
    if (info)
        code = Info(options, sources, core, messages);
    else if (options.command == CliOptions::Command::Silences)
        code = Silences(options, core, messages);
    else if (options.command == CliOptions::Command::Cue)
        code = WriteCueSheets(options, core, messages);
    else
        code = SplitOrJoin(options, core, messages);
    SetMessagePumpHook({});
    return code;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // FFmpeg's own chatter (a seek that probes an index-less file) would mix
    // with the progress; failures still reach the user as Korvex's messages.
    av_log_set_level(AV_LOG_FATAL);
    RouteFfmpegLog();
    CliOptions options = parseOrExit(app.arguments());
    try {
        if (!options.list.isEmpty())
            options.files = ListedFiles(ReadCliList(options.list), options.list);
        switch (options.command) {
        case CliOptions::Command::Help:
            std::fputs(HelpText().toLocal8Bit().constData(), stdout);
            return exit_code::Done;
        case CliOptions::Command::Version:
            std::fputs(VersionText().toLocal8Bit().constData(), stdout);
            return exit_code::Done;
        case CliOptions::Command::Profiles:
            return Profiles();
        default:
            return runCommand(options);
        }
    } catch (const UsageError &error) {
        PrintError(error.text);
        return exit_code::BadInput;
    } catch (const KorvexError &error) {
        PrintError(error.text());
        return exit_code::RunFailed;
    } catch (const std::exception &error) {
        // out of memory or a library's own failure: say so and exit like a
        // failed run rather than abort without a word
        PrintError(QString::fromLocal8Bit(error.what()));
        return exit_code::RunFailed;
    }
}
