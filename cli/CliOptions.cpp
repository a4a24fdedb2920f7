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
        {QStringLiteral("cue"), CliOptions::Command::Cue},
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

void readFormatOptions(const QCommandLineParser &parser, CliOptions &options)
{
    if (parser.isSet(QStringLiteral("format"))) {
        const QString word = parser.value(QStringLiteral("format"));
        options.format = outputFormatFromWord(word);
        if (!options.format)
            fail(QStringLiteral("--format is wma, mp3, ogg, opus, flac, m4a, wav or copy, not \"%1\"").arg(word));
    }
    const auto number = [&parser](const char *name, int lowest, int highest) -> std::optional<int> {
        const QString option = QLatin1String(name);
        if (!parser.isSet(option))
            return std::nullopt;
        return wholeNumber(option, parser.value(option), lowest, highest);
    };
    options.bitrate = number("bitrate", 6, 512);
    options.vbr = number("vbr", 0, 9);
    options.quality = number("quality", -1, 10);
    options.compression = number("compression", 0, 8);
    options.bits = number("bits", 16, 24);
    if (options.bits && *options.bits != 16 && *options.bits != 24)
        fail(QStringLiteral("--bits is 16 or 24, not %1").arg(*options.bits));
    if (options.bitrate && options.vbr)
        fail(QStringLiteral("--bitrate and --vbr exclude each other: MP3 is either CBR or VBR"));
}

void checkOptionsFit(const CliOptions &options, const QCommandLineParser &parser)
{
    static const QStringList runOptions = {QStringLiteral("mode"),    QStringLiteral("seconds"),
                                           QStringLiteral("count"),   QStringLiteral("segments"),
                                           QStringLiteral("fade-in"), QStringLiteral("fade-out"),
                                           QStringLiteral("edge"),    QStringLiteral("profile"),
                                           QStringLiteral("format"),  QStringLiteral("bitrate"),
                                           QStringLiteral("vbr"),     QStringLiteral("quality"),
                                           QStringLiteral("compression"), QStringLiteral("bits"),
                                           QStringLiteral("o")};
    const bool runs = options.command == CliOptions::Command::Split || options.command == CliOptions::Command::Join;
    const bool cue = options.command == CliOptions::Command::Cue;
    for (const QString &name : runOptions) {
        if (cue && name == QLatin1String("segments"))
            continue;
        if (!runs && parser.isSet(name))
            fail(QStringLiteral("%1%2 belongs to split and join").arg(name.size() == 1 ? "-" : "--", name));
    }
    const bool scans = runs || cue || options.command == CliOptions::Command::Silences;
    for (const QString &name : {QStringLiteral("threshold"), QStringLiteral("min-silence")}) {
        if (!scans && parser.isSet(name))
            fail(QStringLiteral("--%1 belongs to silences, split and join").arg(name));
    }
    if (options.command != CliOptions::Command::Split && options.pattern)
        fail(QStringLiteral("--pattern belongs to split"));
    if (options.command != CliOptions::Command::Split && options.adjustMs)
        fail(QStringLiteral("--adjust belongs to split"));
    if (options.command != CliOptions::Command::Join && !cue && options.overwrite)
        fail(QStringLiteral("--overwrite belongs to join and cue"));
    if (options.command != CliOptions::Command::Info && options.json)
        fail(QStringLiteral("--json belongs to info"));
    if (options.command == CliOptions::Command::Profiles && !options.files.isEmpty())
        fail(QStringLiteral("profiles takes no files"));
    if (!runs && !options.list.isEmpty())
        fail(QStringLiteral("--list belongs to split and join"));
    if (options.command != CliOptions::Command::Split && options.resume)
        fail(QStringLiteral("--resume belongs to split"));
    if (!options.list.isEmpty() && !options.files.isEmpty())
        fail(QStringLiteral("--list gives the files; give no FILE with it"));
    if (options.command != CliOptions::Command::Profiles && options.files.isEmpty() && options.list.isEmpty())
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
        {QStringLiteral("o"), QString(), QStringLiteral("path")},
        {QStringLiteral("json"), QString()},
        {QStringLiteral("threshold"), QString(), QStringLiteral("DB")},
        {QStringLiteral("min-silence"), QString(), QStringLiteral("MS")},
        {QStringLiteral("overwrite"), QString()},
        {QStringLiteral("list"), QString(), QStringLiteral("FILE")},
        {QStringLiteral("resume"), QString()},
        {QStringLiteral("pattern"), QString(), QStringLiteral("P")},
        {QStringLiteral("format"), QString(), QStringLiteral("F")},
        {QStringLiteral("bitrate"), QString(), QStringLiteral("KBPS")},
        {QStringLiteral("vbr"), QString(), QStringLiteral("N")},
        {QStringLiteral("quality"), QString(), QStringLiteral("Q")},
        {QStringLiteral("compression"), QString(), QStringLiteral("N")},
        {QStringLiteral("bits"), QString(), QStringLiteral("N")},
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
    else if (parser.value(QStringLiteral("segments")) == QStringLiteral("chapters"))
        options.segmentsFromChapters = true;
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
    if (parser.isSet(QStringLiteral("pattern")))
        options.pattern = parser.value(QStringLiteral("pattern")).trimmed();
    readFormatOptions(parser, options);
    options.output = parser.value(QStringLiteral("o"));
    options.json = parser.isSet(QStringLiteral("json"));
    options.overwrite = parser.isSet(QStringLiteral("overwrite"));
    options.list = parser.value(QStringLiteral("list"));
    if (parser.isSet(QStringLiteral("list")) && options.list.isEmpty())
        fail(QStringLiteral("--list wants a list file"));
    options.resume = parser.isSet(QStringLiteral("resume"));
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
       korvex-cli split [options] [--resume] --list LIST.korvex
       korvex-cli join [options] [--overwrite] -o OUT FILE...
       korvex-cli join [options] [--overwrite] -o OUT --list LIST.korvex
       korvex-cli info [--json] FILE...
       korvex-cli profiles
       korvex-cli silences [--threshold DB] [--min-silence MS] FILE...
       korvex-cli cue [--segments B-E,...] [--overwrite] FILE...
       korvex-cli --help | --version

Cuts audio files into pieces and joins them into one file, in WMA, MP3, Ogg
Vorbis, Opus, FLAC, AAC (M4A) or WAV, with the same job list, plans, names
and tags as the Korvex window. FILE may be any audio file FFmpeg reads (WMA,
MP3, Ogg Vorbis, FLAC, WAV ...), or a CUE sheet (.cue): it adds the audio
file it names with one segment per track, titled and numbered as the sheet
says, the sheet's TITLE as album, PERFORMER as artist, REM DATE as year and
REM GENRE as genre; split then cuts its tracks (custom mode unless --mode is
given). A sheet that names several files adds each; a file it names that is
missing is bad input.

Commands
  split     Cut every FILE into pieces, each a file in the output folder
            carrying the title, artist, album and genre of its FILE (a
            segment's own title and artist, from a CUE sheet, over them) and
            its number among the FILE's pieces. A year is written only where
            a CUE sheet gives one; otherwise only the window's tag dialog
            sets it.
  join      Join the FILEs, in the order given, into the one file OUT, in
            the sample rate and channels of the first FILE (moved to the
            nearest the format takes).
  info      Show what Korvex reads from each FILE: the caption of its row,
            duration in ms, frames, sample rate, channels and its tags (the
            year stays empty: it is never read from a file).
  profiles  List the 47 WMA output profiles with their index and encoding.
  silences  Find the pieces of sound between the silences of each FILE and
            print them, one line per FILE: the segments in the --segments
            syntax, a tab, and the FILE. A FILE without sound gives an empty
            list and a note on standard error.
  cue       Write a CUE sheet beside each FILE (its name with ".cue") with one
            track per segment (--segments, or the tracks of the sheet the
            FILE came from) and its tags, and print its name. An existing
            sheet is replaced only with --overwrite (otherwise exit 2, and no
            sheet is written).

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
  --segments chapters
                   the chapters of each FILE (M4B/M4A, MKA, Ogg chapter
                   comments, MP3 CHAP frames, WMA markers), each piece
                   titled after its chapter; a FILE without chapters is bad
                   input
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
  --format F       the output format: wma, mp3, ogg (Vorbis), opus, flac,
                   m4a (AAC), wav or copy; [Output] Format when not given
                   (WMA unless the window chose another). The rate and
                   channels are the FILE's (join: the first FILE's), moved to
                   the nearest the format takes: Opus always 48 kHz, MP3 at
                   most 48 kHz, MP3 and Opus at most two channels.
  --profile P      WMA profile index, 0 to 46 (see korvex-cli profiles)
  --pattern P      split: name the pieces by P, e.g. "{n:02} - {title}" (see
                   Names of pieces); "" names them as without a pattern.
                   [Output] Pattern when not given
  --bitrate KBPS   MP3 constant bitrate (32 to 320), Opus (6 to 510) or AAC
                   (32 to 512) bitrate in kbps
  --vbr N          MP3 variable bitrate, LAME's V0 (best) to V9
  --quality Q      Ogg Vorbis quality, -1 to 10
  --compression N  FLAC compression level, 0 to 8
  --bits N         WAV sample size, 16 or 24
                   A quality option the format has no use for is refused
                   (exit 2); those not given come from [Encoding] in
                   Korvex.ini (MP3 192 kbps CBR, Vorbis 5, Opus 128 kbps,
                   FLAC 5, AAC 192 kbps, WAV 16-bit when not set).
                   copy cuts without re-encoding: the pieces (or the joined
                   file) keep the source's codec and container (MP3, AAC in
                   MP4/M4A, Vorbis or Opus in Ogg, WMA) and its extension.
                   MP3 pieces hold exactly the planned samples; the others
                   start up to two codec packets early and end up to two
                   late. FLAC and WAV are written again in their own codec
                   and sample format, losslessly and exactly. Refused (exit 2) with fades or soft edges, and for
                   a join whose files differ in codec, rate, channels or
                   codec setup.
  -o DIR           split: the output folder, made when missing
  -o OUT           join: the joined file; the format's extension (".wma",
                   ".mp3", ...; with --format copy the first FILE's) is
                   appended unless the name ends in it. An existing file is
                   refused (exit 2) unless
                   --overwrite is given, and one of the FILEs always is.
  --overwrite      join: replace an existing OUT
  --list LIST      the files of a job list saved in the window (File menu,
                   Save List), with its segments (to the millisecond), their
                   own titles and artists, its tags and its mode and settings;
                   every option given overrides the list's setting, and the
                   list's settings override Korvex.ini's. A file of the list
                   that is not there is named and nothing is written (exit 2).
                   No FILE is given with it.
  --resume         split: write only the pieces that are not there yet, each
                   with the name, number, title and track number a first run
                   gives it. A piece is there when the file a first run into
                   a folder without the job's pieces names it (by --pattern,
                   else its own title, else NAME_1, NAME_2, ... in run order;
                   in the run's format) exists, no NAME.part is left of it,
                   and it is as long as planned within one codec frame (a
                   copy: two packets at each end; MP3 copies exactly); a file
                   of that name that is not is renamed NAME.incomplete and the
                   piece written again. Not with cuts moved into pauses
                   (--adjust, [Function] Adjust).

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
  it: mode, piece length and count, fades, output folder, output format,
  WMA profile and the other formats' qualities,
  the silence settings ([Silence] Threshold, MinLength, Offset and
  Trim; -40 dBFS, 700 ms, 0.5 and 0 when not set) and [Function] Adjust
  (0 when not set).
  korvex-cli never writes that file.

Names of pieces
  A piece is named after its FILE's tag title, or its file name, up to the
  first ".", followed by _1, _2, ... and the format's extension (".wma",
  ".mp3", ...). A piece whose segment has a
  title of its own is named after that title, followed by _1, _2, ... A
  pattern names every piece instead: {title} (the segment's title, else the
  FILE's, else its file name), {n} and {n:02} (its number, 1, 2, ... or 01,
  02, ...), {N} (the number of pieces of its FILE), {artist}, {album},
  {begin} and {end} (hh-mm-ss), {file} (the FILE's name without extension).
  Names lose the characters a file name may not hold. No file is ever
  written over: numbering (_1, _2, ...) goes on to the first free name.
  Every piece carries its number among its FILE's pieces as its track
  number.

Progress and stopping
  On a terminal a progress bar shows the piece (split) or the joined file
  being written; otherwise every file written is printed on its own line.
  Ctrl-C, SIGTERM and SIGHUP stop as the window's Stop does: the file being
  written is closed, tagged and given its final name, it is printed with how
  much it holds (or the stop is said to have come between files), and nothing
  further is started. Files are written as NAME.wma.part (NAME.mp3.part ...)
  and renamed, never over an existing file, once complete; kill -9 leaves the
  .part file, which info calls incomplete.

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
       than 255 bytes, an existing OUT without --overwrite, a --list that
       is damaged, of a newer version or names a missing file
  130  stopped by Ctrl-C, SIGTERM or SIGHUP
)");
}

} // namespace korvex::cli
