#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "cli/CliSeams.h"
#include "cli/Interrupt.h"
#include "components/AudioFile.h"
#include "components/AudioTransform.h"
#include "components/KorvexError.h"
#include "components/MessagePump.h"
#include "engine/Workbench.h"

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
    const QStringList files = CheckedFiles(options.files);
    const QString joinOutput =
        options.command == CliOptions::Command::Join ? CheckedJoinOutput(options.output) : QString();
    TerminalMessages messages;
    CommandLineDialogs dialogs(files, joinOutput);
    NoLauncher launcher;
    AudioFile reader;
    AudioFile writer;
    AudioTransform transform;
    reader.setOptionValue(-1);
    writer.setOptionValue(-1);
    Workbench bench(reader, writer, transform, Seams{&messages, &dialogs, &launcher});

    InstallInterruptHandler();
    SetMessagePumpHook([&bench] {
        if (Interrupted())
            bench.control.Stop();
    });
    int code = exit_code::Done;
    if (options.command == CliOptions::Command::Info)
        code = Info(options, bench, messages);
    else if (options.command == CliOptions::Command::Silences)
        code = Silences(options, bench, messages);
    else
        code = SplitOrJoin(options, bench, messages);
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
    const CliOptions options = parseOrExit(app.arguments());
    try {
        switch (options.command) {
        case CliOptions::Command::Help:
            std::fputs(HelpText().toLocal8Bit().constData(), stdout);
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
    }
}
