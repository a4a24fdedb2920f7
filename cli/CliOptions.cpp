#include "cli/CliOptions.h"

#include "KorvexVersion.h"

#include "settings/Settings.h"
#include "settings/SilenceSettings.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <limits>

namespace korvex::cli {

namespace {

constexpr int MaxFadeSeconds = 20;
constexpr int ProfileCount = 47;

const QHash<QString, CliOptions::Command> &commands()
{
    static const QHash<QString, CliOptions::Command> table = {
        {QStringLiteral("split"), CliOptions::Command::Split},
        {QStringLiteral("join"), CliOptions::Command::Join},
        {QStringLiteral("info"), CliOptions::Command::Info},
        {QStringLiteral("profiles"), CliOptions::Command::Profiles},
        {QStringLiteral("silences"), CliOptions::Command::Silences},
    };
    return table;
}

const QHash<QString, int> &modes()
{
    static const QHash<QString, int> table = {
        {QStringLiteral("custom"), split_mode::Custom},
        {QStringLiteral("time"), split_mode::Time},
        {QStringLiteral("count"), split_mode::Count},
        {QStringLiteral("unify"), split_mode::Unification},
    };
    return table;
}

[[noreturn]] void fail(const QString &text)
{
    throw UsageError(text);
}

int wholeNumber(const QString &option, const QString &text, int minimum, int maximum)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < minimum || value > maximum)
        fail(QStringLiteral("--%1 wants a whole number from %2 to %3, not \"%4\"")
                 .arg(option).arg(minimum).arg(maximum).arg(text));
    return value;
}

int timeValue(const QString &option, const QString &text, int minimum)
{
    const std::optional<int> seconds = ParseTime(text);
    if (!seconds || *seconds < minimum)
        fail(QStringLiteral("--%1 wants a time of at least %2 s, as whole seconds or hh:mm:ss, not \"%3\"")
                 .arg(option).arg(minimum).arg(text));
    return *seconds;
}

QList<SegmentOption> segmentList(const QString &text)
{
    QList<SegmentOption> segments;
    for (const QString &item : text.split(QLatin1Char(','))) {
        const QStringList bounds = item.trimmed().split(QLatin1Char('-'));
        const std::optional<qint64> begin = bounds.size() == 2 ? ParseTimeMs(bounds[0].trimmed()) : std::nullopt;
        const std::optional<qint64> end = bounds.size() == 2 ? ParseTimeMs(bounds[1].trimmed()) : std::nullopt;
        if (!begin.has_value() || !end.has_value())
            fail(QStringLiteral("--segments wants BEGIN-END pairs such as 0-60,1:30-2:00.5, not \"%1\"").arg(item));
        const SegmentOption segment{begin.value_or(0), end.value_or(0)};
        if (segment.begin >= segment.end)
            fail(QStringLiteral("segment \"%1\" must end after it begins").arg(item));
        segments.append(segment);
    }
    return segments;
}

// Seconds with up to three decimals, 0 to the longest move.
qint64 adjustValue(const QString &text)
{
    const std::optional<qint64> ms = ParseTimeMs(text);
    if (!ms || *ms > SilenceSettings::LongestAdjustMs)
        fail(QStringLiteral("--adjust wants seconds from 0 to %1 with up to three decimals, not \"%2\"")
                 .arg(SilenceSettings::LongestAdjustMs / 1000)
                 .arg(text));
    return *ms;
}

void checkOptionsFit(const CliOptions &options, const QCommandLineParser &parser)
{
    static const QStringList runOptions = {QStringLiteral("mode"),    QStringLiteral("seconds"),
                                           QStringLiteral("count"),   QStringLiteral("segments"),
                                           QStringLiteral("fade-in"), QStringLiteral("fade-out"),
                                           QStringLiteral("edge"),    QStringLiteral("profile"),
                                           QStringLiteral("format"),  QStringLiteral("o")};
    const bool runs = options.command == CliOptions::Command::Split || options.command == CliOptions::Command::Join;
    for (const QString &name : runOptions) {
        if (!runs && parser.isSet(name))
            fail(QStringLiteral("%1%2 belongs to split and join").arg(name.size() == 1 ? "-" : "--", name));
    }
    const bool scans = runs || options.command == CliOptions::Command::Silences;
    for (const QString &name : {QStringLiteral("threshold"), QStringLiteral("min-silence")}) {
        if (!scans && parser.isSet(name))
            fail(QStringLiteral("--%1 belongs to silences, split and join").arg(name));
    }
    if (options.command != CliOptions::Command::Split && options.adjustMs)
        fail(QStringLiteral("--adjust belongs to split"));
    if (options.command != CliOptions::Command::Join && options.overwrite)
        fail(QStringLiteral("--overwrite belongs to join"));
    if (options.command != CliOptions::Command::Info && options.json)
        fail(QStringLiteral("--json belongs to info"));
    if (options.command == CliOptions::Command::Profiles && !options.files.isEmpty())
        fail(QStringLiteral("profiles takes no files"));
    if (options.command != CliOptions::Command::Profiles && options.files.isEmpty())
        fail(QStringLiteral("no FILE given"));
    if (options.command == CliOptions::Command::Join && options.output.isEmpty())
        fail(QStringLiteral("join wants the joined file as -o OUT"));
}

} // namespace

std::optional<qint64> ParseTimeMs(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^(?:(\\d{1,9}):)?(?:(\\d{1,9}):)?(\\d{1,9})(?:\\.(\\d{1,3}))?$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    // One colon means m:ss, two mean h:mm:ss.
    const bool hasHours = !match.captured(2).isEmpty();
    const qint64 hours = hasHours ? match.captured(1).toLongLong() : 0;
    const qint64 minutes = hasHours ? match.captured(2).toLongLong() : match.captured(1).toLongLong();
    const qint64 seconds = match.captured(3).toLongLong();
    const bool colons = !match.captured(1).isEmpty();
    if (colons && (seconds > 59 || (hasHours && minutes > 59)))
        return std::nullopt;
    // ".5" is 500 ms, ".25" 250 ms, ".025" 25 ms.
    const qint64 fraction = match.captured(4).leftJustified(3, QLatin1Char('0')).toLongLong();
    const qint64 total = hours * 3600 + minutes * 60 + seconds;
    if (total > std::numeric_limits<int>::max())
        return std::nullopt;
    return total * 1000 + fraction;
}

std::optional<int> ParseTime(const QString &text)
{
    const std::optional<qint64> ms = ParseTimeMs(text);
    if (!ms || *ms % 1000 != 0 || text.contains(QLatin1Char('.')))
        return std::nullopt;
    return int(*ms / 1000);
}

CliOptions ParseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({
        {{QStringLiteral("h"), QStringLiteral("help")}, QString()},
        {{QStringLiteral("v"), QStringLiteral("version")}, QString()},
        {QStringLiteral("mode"), QString(), QStringLiteral("mode")},
        {QStringLiteral("seconds"), QString(), QStringLiteral("N")},
        {QStringLiteral("count"), QString(), QStringLiteral("N")},
        {QStringLiteral("segments"), QString(), QStringLiteral("list")},
        {QStringLiteral("fade-in"), QString(), QStringLiteral("S")},
        {QStringLiteral("edge"), QString(), QStringLiteral("MS")},
        {QStringLiteral("adjust"), QString(), QStringLiteral("S")},
        {QStringLiteral("fade-out"), QString(), QStringLiteral("S")},
        {QStringLiteral("profile"), QString(), QStringLiteral("P")},
        {QStringLiteral("format"), QString(), QStringLiteral("F")},
        {QStringLiteral("o"), QString(), QStringLiteral("path")},
        {QStringLiteral("json"), QString()},
        {QStringLiteral("threshold"), QString(), QStringLiteral("DB")},
        {QStringLiteral("min-silence"), QString(), QStringLiteral("MS")},
        {QStringLiteral("overwrite"), QString()},
    });
    if (!parser.parse(arguments))
        fail(parser.errorText());

    CliOptions options;
    QStringList positional = parser.positionalArguments();
    if (parser.isSet(QStringLiteral("help")))
        return options;
    if (parser.isSet(QStringLiteral("version"))) {
        options.command = CliOptions::Command::Version;
        return options;
    }
    if (positional.isEmpty())
        return options;
    const QString command = positional.takeFirst();
    if (!commands().contains(command))
        fail(QStringLiteral("unknown command \"%1\"").arg(command));
    options.command = commands().value(command);
    options.files = positional;

    if (parser.isSet(QStringLiteral("mode"))) {
        const QString mode = parser.value(QStringLiteral("mode"));
        if (!modes().contains(mode))
            fail(QStringLiteral("--mode is custom, time, count or unify, not \"%1\"").arg(mode));
        options.mode = modes().value(mode);
    }
    if (parser.isSet(QStringLiteral("seconds")))
        options.seconds = timeValue(QStringLiteral("seconds"), parser.value(QStringLiteral("seconds")), 1);
    if (parser.isSet(QStringLiteral("count")))
        options.count = wholeNumber(QStringLiteral("count"), parser.value(QStringLiteral("count")), 1, 100000);
    if (parser.value(QStringLiteral("segments")) == QStringLiteral("silence"))
        options.segmentsFromSilences = true;
    else if (parser.isSet(QStringLiteral("segments")))
        options.segments = segmentList(parser.value(QStringLiteral("segments")));
    if (parser.isSet(QStringLiteral("threshold")))
        options.threshold = wholeNumber(QStringLiteral("threshold"), parser.value(QStringLiteral("threshold")),
                                        SilenceSettings::LowestThreshold, SilenceSettings::HighestThreshold);
    if (parser.isSet(QStringLiteral("min-silence")))
        options.minSilence = wholeNumber(QStringLiteral("min-silence"),
                                         parser.value(QStringLiteral("min-silence")),
                                         SilenceSettings::ShortestMinLength, SilenceSettings::LongestMinLength);
    if (parser.isSet(QStringLiteral("fade-in")))
        options.fadeIn = wholeNumber(QStringLiteral("fade-in"), parser.value(QStringLiteral("fade-in")), 0,
                                     MaxFadeSeconds);
    if (parser.isSet(QStringLiteral("fade-out")))
        options.fadeOut = wholeNumber(QStringLiteral("fade-out"), parser.value(QStringLiteral("fade-out")), 0,
                                      MaxFadeSeconds);
    if (parser.isSet(QStringLiteral("edge")))
        options.edgeMs = wholeNumber(QStringLiteral("edge"), parser.value(QStringLiteral("edge")), 0, MaxEdgeMs);
    if (parser.isSet(QStringLiteral("adjust")))
        options.adjustMs = adjustValue(parser.value(QStringLiteral("adjust")));
    if (parser.isSet(QStringLiteral("profile")))
        options.profile = wholeNumber(QStringLiteral("profile"), parser.value(QStringLiteral("profile")), 0,
                                      ProfileCount - 1);
    if (parser.isSet(QStringLiteral("format"))) {
        options.format = outputFormatFromWord(parser.value(QStringLiteral("format")));
        if (options.format != OutputFormat::Wma && options.format != OutputFormat::Copy)
            fail(QStringLiteral("--format is wma or copy, not \"%1\"").arg(parser.value(QStringLiteral("format"))));
    }
    options.output = parser.value(QStringLiteral("o"));
    options.json = parser.isSet(QStringLiteral("json"));
    options.overwrite = parser.isSet(QStringLiteral("overwrite"));
    checkOptionsFit(options, parser);
    return options;
}

QString VersionText()
{
    return QStringLiteral("korvex-cli %1\n").arg(QString::fromLatin1(KorvexVersion));
}

QString HelpText()
{
    return QStringLiteral(R"(Usage: korvex-cli split [options] FILE...
       korvex-cli join [options] [--overwrite] -o OUT FILE...
       korvex-cli info [--json] FILE...
       korvex-cli profiles
       korvex-cli silences [--threshold DB] [--min-silence MS] FILE...
       korvex-cli --help | --version

Cuts audio files into WMA pieces and joins them into one WMA file, with the
same job list, plans, names and tags as the Korvex window. FILE may be any
audio file FFmpeg reads (WMA, MP3, Ogg Vorbis, FLAC, WAV ...).

Commands
  split     Cut every FILE into pieces, each a WMA file in the output folder
            carrying the title, artist, album and genre of its FILE. No year
            is written: a year is set only in the window's tag dialog.
  join      Join the FILEs, in the order given, into the one WMA file OUT, in
            the sample rate and channels of the first FILE.
  info      Show what Korvex reads from each FILE: the caption of its row,
            duration in ms, frames, sample rate, channels and its tags (the
            year stays empty: it is never read from a file).
  profiles  List the 47 WMA output profiles with their index and encoding.
  silences  Find the pieces of sound between the silences of each FILE and
            print them, one line per FILE: the segments in the --segments
            syntax, a tab, and the FILE. A FILE without sound gives an empty
            list and a note on standard error.

Options of split and join
  --mode custom|time|count|unify
        custom  split: the segments of --segments from every FILE, or every
                FILE whole; join: the same ranges joined
        time    split: pieces of --seconds seconds; join: every FILE whole
        count   split: --count pieces per FILE, as equal as milliseconds
                allow, the last ending at the FILE's end; join: every FILE
                whole
        unify   the segments of the first FILE (--segments), cut from every
                FILE as far as it reaches
  --seconds N      piece length in time mode; whole seconds or hh:mm:ss, >= 1
  --count N        number of pieces in count mode, >= 1
  --segments B-E,B-E,...
                   segments as begin-end times in seconds or hh:mm:ss, with
                   up to three decimals for milliseconds, e.g.
                   0-60,1:30-2:45,12.5-20.25,00:01:02.350-00:01:10; custom
                   and unify modes only
  --segments silence
                   the pieces of sound between silences of each FILE (unify:
                   of the first FILE), as korvex-cli silences finds them
  --edge MS        a soft edge: a ramp of MS milliseconds (0 to 10000, 0 =
                   none) at the start and end of every piece and at every
                   border inside a joined file, so a cut through sound does
                   not click; [Fade] Edge in Korvex.ini when not given
  --adjust S       split, time and count modes: every cut moves to the
                   nearest pause within S seconds (fractions allowed, e.g.
                   2.5; 0 = off), cut inside it at [Silence] Offset, using
                   --threshold and --min-silence; a cut with no pause that
                   near stays. Only S seconds around each cut are scanned.
                   [Function] Adjust (whole seconds) when not given
  --fade-in S      fade in over S seconds (0 to 20, 0 = none) at the start of
                   every piece, or of the joined file
  --fade-out S     fade out over S seconds (0 to 20, 0 = none) at the end
  --profile P      WMA profile index, 0 to 46 (see korvex-cli profiles)
  --format copy    cut without re-encoding: the pieces (or the joined file)
                   keep the source's codec and container (MP3, AAC in
                   MP4/M4A, Vorbis or Opus in Ogg, WMA) and its extension.
                   MP3 pieces hold exactly the planned samples; the others
                   start up to two codec packets early and end up to two
                   late. Refused (exit 2) with fades or soft edges, and for
                   a join whose files differ in codec, rate, channels or
                   codec setup. --format wma encodes (the default)
  -o DIR           split: the output folder, made when missing
  -o OUT           join: the joined file; ".wma" (with --format copy: the
                   first FILE's extension) is appended unless the name
                   ends in it. An existing file is refused (exit 2) unless
                   --overwrite is given, and one of the FILEs always is.
  --overwrite      join: replace an existing OUT

Options of silences (and of split and join with --segments silence or
--adjust)
  --threshold DB   a 10 ms window quieter than DB dBFS is silent (-90 to -1)
  --min-silence MS only a silence of at least MS milliseconds separates two
                   pieces (10 to 60000); shorter pauses stay inside a piece.
                   Each cut lies inside a pause at [Silence] Offset (0 its
                   beginning, 1 its end, default 0.5); the pieces cover the
                   whole FILE unless [Silence] Trim (ms, 0 = off) leaves the
                   pause beyond that much at each edge out. Times with a
                   fraction of a second print as hh:mm:ss.mmm.

Options of info
  --json           print one JSON array of objects with the keys path,
                   caption, duration_ms, frames, sample_rate, channels, title,
                   artist, album, year, comment, genre

Settings
  Every option not given takes its value from the Korvex settings file,
  $XDG_CONFIG_HOME/Korvex.ini (else ~/.config/Korvex.ini), as the window left
  it: mode, piece length and count, fades, output folder and WMA profile,
  the silence settings ([Silence] Threshold, MinLength, Offset and
  Trim; -40 dBFS, 700 ms, 0.5 and 0 when not set) and [Function] Adjust
  (0 when not set).
  korvex-cli never writes that file.

Names of pieces
  A piece is named after its FILE's tag title, or its file name, up to the
  first ".", followed by _1, _2, ... and ".wma". No file is ever written
  over: numbering goes on to the first free name.

Progress and stopping
  On a terminal a progress bar shows the piece (split) or the joined file
  being written; otherwise every file written is printed on its own line.
  Ctrl-C, SIGTERM and SIGHUP stop as the window's Stop does: the file being
  written is closed, tagged and given its final name, it is printed with how
  much it holds (or the stop is said to have come between files), and nothing
  further is started. Files are written as NAME.wma.part and renamed, never
  over an existing file, once complete; kill -9 leaves the .part file, which
  info calls incomplete.

Options of every command
  -h, --help       show this text and end
  -v, --version    show the version and end

Exit status
  0    done
  1    a conversion failed (the message says why), tags could not be
       written, or a source changed since it was added or could not be
       read to its end
  2    bad input: unknown command or option, bad value, a FILE missing,
       unreadable, not audio FFmpeg can decode or shorter than one second
       (each named as typed, with the reason; info still describes the
       others), an output folder that takes no file, a join name longer
       than 255 bytes, an existing OUT without --overwrite
  130  stopped by Ctrl-C, SIGTERM or SIGHUP
)");
}

} // namespace korvex::cli
