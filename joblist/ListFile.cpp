#include "joblist/ListFile.h"

#include "components/KorvexError.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvex {

namespace {

const QString FormatName = QStringLiteral("Korvex job list");
constexpr int LongestFadeSeconds = 20;
constexpr int MostPieces = 100000;
// Segment times are whole seconds of 32 bits at most, as the slider gives them.
constexpr qint64 LatestMs = qint64(std::numeric_limits<int>::max()) * 1000;

const QStringList &modeWords()
{
    static const QStringList words = {QStringLiteral("custom"), QStringLiteral("time"), QStringLiteral("count"),
                                      QStringLiteral("unify")};
    return words;
}

// Every fault found while reading names the list and where in it.
class ListReader
{
public:
    ListReader(const QString &listPath) : m_listPath(listPath), m_folder(QFileInfo(listPath).absoluteDir()) {}

    [[noreturn]] void fail(const QString &what) const
    {
        throw KorvexError(QStringLiteral("%1 is not a Korvex list Korvex can open: %2")
                              .arg(QFileInfo(m_listPath).fileName(), what));
    }

    QJsonObject object(const QJsonValue &value, const QString &where) const
    {
        if (!value.isObject())
            fail(QStringLiteral("%1 is not an object").arg(where));
        return value.toObject();
    }

    QJsonArray array(const QJsonValue &value, const QString &where) const
    {
        if (!value.isArray())
            fail(QStringLiteral("%1 is not a list").arg(where));
        return value.toArray();
    }

    // A whole number within [lowest, highest]; an absent key gives fallback.
    qint64 number(const QJsonObject &object, const QString &key, const QString &where, qint64 lowest,
                  qint64 highest, qint64 fallback) const
    {
        const QJsonValue value = object.value(key);
        if (value.isUndefined())
            return fallback;
        const double number = value.toDouble(std::numeric_limits<double>::quiet_NaN());
        if (!value.isDouble() || number != std::floor(number) || number < double(lowest) || number > double(highest))
            fail(QStringLiteral("%1 \"%2\" is not a whole number from %3 to %4").arg(where, key).arg(lowest).arg(highest));
        return qint64(number);
    }

    QString text(const QJsonObject &object, const QString &key, const QString &where, const QString &fallback = {}) const
    {
        const QJsonValue value = object.value(key);
        if (value.isUndefined())
            return fallback;
        if (!value.isString())
            fail(QStringLiteral("%1 \"%2\" is not a text").arg(where, key));
        return value.toString();
    }

    bool flag(const QJsonObject &object, const QString &key, const QString &where, bool fallback) const
    {
        const QJsonValue value = object.value(key);
        if (value.isUndefined())
            return fallback;
        if (!value.isBool())
            fail(QStringLiteral("%1 \"%2\" is neither true nor false").arg(where, key));
        return value.toBool();
    }

    void checkVersion(const QJsonObject &root) const
    {
        const QJsonValue version = root.value(QStringLiteral("version"));
        if (!version.isDouble() || version.toDouble() != std::floor(version.toDouble()) || version.toDouble() < 1)
            fail(QStringLiteral("it has no \"version\" of its format"));
        if (version.toDouble() > ListFormatVersion)
            throw KorvexError(QStringLiteral("%1 was saved by a newer Korvex (list format version %2); this Korvex "
                                             "opens lists up to version %3. Nothing was changed.")
                                  .arg(QFileInfo(m_listPath).fileName())
                                  .arg(version.toDouble(), 0, 'f', 0)
                                  .arg(ListFormatVersion));
    }

    ListSettings settings(const QJsonObject &root) const
    {
        const QString where = QStringLiteral("the setting");
        const QJsonObject object = this->object(root.value(QStringLiteral("settings")), QStringLiteral("\"settings\""));
        ListSettings s;
        const QString mode = text(object, QStringLiteral("mode"), where);
        if (!modeWords().contains(mode))
            fail(QStringLiteral("the mode \"%1\" is none of %2").arg(mode, modeWords().join(QStringLiteral(", "))));
        s.SplitMode = int(modeWords().indexOf(mode));
        s.SplitSeconds = int(number(object, QStringLiteral("piece_seconds"), where, 1, std::numeric_limits<int>::max(),
                                    s.SplitSeconds));
        s.SplitCount = int(number(object, QStringLiteral("piece_count"), where, 1, MostPieces, s.SplitCount));
        s.FadeIn = flag(object, QStringLiteral("fade_in"), where, s.FadeIn);
        s.FadeOut = flag(object, QStringLiteral("fade_out"), where, s.FadeOut);
        s.FadeInSeconds = int(number(object, QStringLiteral("fade_in_seconds"), where, 1, LongestFadeSeconds,
                                     s.FadeInSeconds));
        s.FadeOutSeconds = int(number(object, QStringLiteral("fade_out_seconds"), where, 1, LongestFadeSeconds,
                                      s.FadeOutSeconds));
        s.EdgeMs = int(number(object, QStringLiteral("edge_ms"), where, 0, MaxEdgeMs, s.EdgeMs));
        s.OutputFolder = text(object, QStringLiteral("output_folder"), where);
        if (!s.OutputFolder.isEmpty() && !QDir::isAbsolutePath(s.OutputFolder))
            fail(QStringLiteral("the output folder \"%1\" is not an absolute path").arg(s.OutputFolder));
        // Korvex.ini keeps it on one line, and no folder worth writing to has a control character
        if (std::any_of(s.OutputFolder.cbegin(), s.OutputFolder.cend(), [](QChar c) { return c.unicode() < 0x20; }))
            fail(QStringLiteral("the output folder holds a control character"));
        if (!s.OutputFolder.isEmpty() && !s.OutputFolder.endsWith(QLatin1Char('/')))
            s.OutputFolder += QLatin1Char('/');
        const QString format = text(object, QStringLiteral("format"), where, outputFormatWord(s.Format));
        const std::optional<OutputFormat> known = outputFormatFromWord(format);
        if (!known)
            fail(QStringLiteral("the output format \"%1\" is not one Korvex writes").arg(format));
        s.Format = *known;
        return s;
    }

    ListEntry entry(const QJsonValue &value, int index) const
    {
        const QString where = QStringLiteral("entry %1").arg(index + 1);
        const QJsonObject object = this->object(value, where);
        ListEntry entry;
        const QString file = text(object, QStringLiteral("file"), where);
        if (file.isEmpty() || file.contains(QChar(0)))
            fail(QStringLiteral("%1 names no file").arg(where));
        entry.FileName = QDir::cleanPath(m_folder.absoluteFilePath(file));
        const QJsonArray segments = array(object.value(QStringLiteral("segments")), where + QStringLiteral(" \"segments\""));
        if (segments.isEmpty() || segments.size() > MostListSegments)
            fail(QStringLiteral("%1 has %2 segments; it must have 1 to %3 (the last is the one being marked)")
                     .arg(where).arg(segments.size()).arg(MostListSegments));
        for (qsizetype i = 0; i < segments.size(); ++i)
            entry.Segments.append(segment(segments.at(i), where, int(i), i + 1 == segments.size()));
        entry.Tags = tags(object.value(QStringLiteral("tags")), where);
        return entry;
    }

    ListSegment segment(const QJsonValue &value, const QString &entryWhere, int index, bool pending) const
    {
        const QString where = QStringLiteral("%1, segment %2,").arg(entryWhere).arg(index + 1);
        const QJsonObject object = this->object(value, where);
        ListSegment segment;
        segment.BeginMs = number(object, QStringLiteral("begin_ms"), where, 0, LatestMs, -1);
        segment.EndMs = number(object, QStringLiteral("end_ms"), where, 0, LatestMs, -1);
        if (segment.BeginMs < 0 || segment.EndMs < 0)
            fail(QStringLiteral("%1 lacks \"begin_ms\" or \"end_ms\"").arg(where));
        // The pending segment is being marked and may be the wrong way round
        // for now; a confirmed one never is.
        if (!pending && segment.EndMs < segment.BeginMs)
            fail(QStringLiteral("%1 ends before it begins").arg(where));
        segment.Own.Title = text(object, QStringLiteral("title"), where);
        segment.Own.Artist = text(object, QStringLiteral("artist"), where);
        return segment;
    }

    AudioFileinfo tags(const QJsonValue &value, const QString &entryWhere) const
    {
        AudioFileinfo tags;
        if (value.isUndefined())
            return tags;
        const QString where = entryWhere + QStringLiteral(", tag");
        const QJsonObject object = this->object(value, entryWhere + QStringLiteral(" \"tags\""));
        tags.Title = text(object, QStringLiteral("title"), where);
        tags.Artist = text(object, QStringLiteral("artist"), where);
        tags.Year = text(object, QStringLiteral("year"), where);
        tags.Album = text(object, QStringLiteral("album"), where);
        tags.Comment = text(object, QStringLiteral("comment"), where);
        tags.Genre = text(object, QStringLiteral("genre"), where);
        return tags;
    }

private:
    QString m_listPath;
    QDir m_folder;
};

// A file in the list's folder or below it is kept relative, so a folder of
// sources and its list can move together.
QString storedPath(const QString &file, const QDir &listFolder)
{
    const QString relative = listFolder.relativeFilePath(QFileInfo(file).absoluteFilePath());
    if (relative.startsWith(QStringLiteral("../")) || relative == QStringLiteral("..") || QDir::isAbsolutePath(relative))
        return QFileInfo(file).absoluteFilePath();
    return relative;
}

QJsonObject settingsObject(const ListSettings &s)
{
    return {
        {QStringLiteral("mode"), modeWords().value(s.SplitMode, modeWords().constFirst())},
        {QStringLiteral("piece_seconds"), s.SplitSeconds},
        {QStringLiteral("piece_count"), s.SplitCount},
        {QStringLiteral("fade_in"), s.FadeIn},
        {QStringLiteral("fade_in_seconds"), s.FadeInSeconds},
        {QStringLiteral("fade_out"), s.FadeOut},
        {QStringLiteral("fade_out_seconds"), s.FadeOutSeconds},
        {QStringLiteral("edge_ms"), s.EdgeMs},
        {QStringLiteral("output_folder"), s.OutputFolder},
        {QStringLiteral("format"), outputFormatWord(s.Format)},
    };
}

QJsonObject tagsObject(const AudioFileinfo &tags)
{
    return {
        {QStringLiteral("title"), tags.Title},     {QStringLiteral("artist"), tags.Artist},
        {QStringLiteral("year"), tags.Year},       {QStringLiteral("album"), tags.Album},
        {QStringLiteral("comment"), tags.Comment}, {QStringLiteral("genre"), tags.Genre},
    };
}

QJsonObject entryObject(const ListEntry &entry, const QDir &listFolder)
{
    QJsonArray segments;
    for (const ListSegment &segment : entry.Segments) {
        QJsonObject object{{QStringLiteral("begin_ms"), segment.BeginMs}, {QStringLiteral("end_ms"), segment.EndMs}};
        if (!segment.Own.Title.isEmpty())
            object.insert(QStringLiteral("title"), segment.Own.Title);
        if (!segment.Own.Artist.isEmpty())
            object.insert(QStringLiteral("artist"), segment.Own.Artist);
        segments.append(object);
    }
    return {
        {QStringLiteral("file"), storedPath(entry.FileName, listFolder)},
        {QStringLiteral("segments"), segments},
        {QStringLiteral("tags"), tagsObject(entry.Tags)},
    };
}

// The settings a list carries, either way between Settings and ListSettings.
template <typename From, typename To>
void copyListedSettings(const From &from, To &to)
{
    to.SplitMode = from.SplitMode;
    to.SplitSeconds = from.SplitSeconds;
    to.SplitCount = from.SplitCount;
    to.FadeIn = from.FadeIn;
    to.FadeOut = from.FadeOut;
    to.FadeInSeconds = from.FadeInSeconds;
    to.FadeOutSeconds = from.FadeOutSeconds;
    to.EdgeMs = from.EdgeMs;
    to.OutputFolder = from.OutputFolder;
    to.Format = from.Format;
}

} // namespace

QString ListModeWord(int mode)
{
    return modeWords().value(mode);
}

QString ListFileFilter()
{
    return QStringLiteral("Korvex lists(*.korvex)|*.korvex");
}

ListSettings ListSettingsOf(const Settings &settings)
{
    ListSettings list;
    copyListedSettings(settings, list);
    return list;
}

void ApplyListSettings(const ListSettings &list, Settings &settings)
{
    const QString folder = settings.OutputFolder;
    copyListedSettings(list, settings);
    if (list.OutputFolder.isEmpty())
        settings.OutputFolder = folder;
}

QByteArray ListFileText(const SavedList &list, const QString &listPath)
{
    const QDir folder = QFileInfo(listPath).absoluteDir();
    QJsonArray entries;
    for (const ListEntry &entry : list.entries)
        entries.append(entryObject(entry, folder));
    const QJsonObject root{
        {QStringLiteral("format"), FormatName},
        {QStringLiteral("version"), ListFormatVersion},
        {QStringLiteral("settings"), settingsObject(list.settings)},
        {QStringLiteral("entries"), entries},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

SavedList ParseListFile(const QByteArray &text, const QString &listPath)
{
    const ListReader reader(listPath);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError)
        reader.fail(QStringLiteral("its JSON is damaged at byte %1 (%2)").arg(error.offset).arg(error.errorString()));
    if (!document.isObject())
        reader.fail(QStringLiteral("it holds no JSON object"));
    const QJsonObject root = document.object();
    reader.checkVersion(root);
    if (root.value(QStringLiteral("format")).toString() != FormatName)
        reader.fail(QStringLiteral("its \"format\" is not \"%1\"").arg(FormatName));
    SavedList list;
    list.settings = reader.settings(root);
    const QJsonArray entries = reader.array(root.value(QStringLiteral("entries")), QStringLiteral("\"entries\""));
    if (entries.size() > MostListEntries)
        reader.fail(QStringLiteral("it has %1 entries, more than %2").arg(entries.size()).arg(MostListEntries));
    for (qsizetype i = 0; i < entries.size(); ++i)
        list.entries.append(reader.entry(entries.at(i), int(i)));
    return list;
}

void WriteListFile(const QString &listPath, const SavedList &list)
{
    QSaveFile file(listPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(ListFileText(list, listPath)) < 0 || !file.commit())
        throw KorvexError(QStringLiteral("Cannot save the list as %1: %2").arg(listPath, file.errorString()));
}

SavedList ReadListFile(const QString &listPath)
{
    QFile file(listPath);
    if (!file.open(QIODevice::ReadOnly))
        throw KorvexError(QStringLiteral("Cannot open the list %1: %2").arg(listPath, file.errorString()));
    // A device or a pipe gives no size ahead: what is read decides.
    const QByteArray text = file.read(LongestListFile + 1);
    if (text.size() > LongestListFile)
        throw KorvexError(QStringLiteral("%1 is not a Korvex list Korvex can open: it is larger than %2 MB")
                              .arg(QFileInfo(listPath).fileName())
                              .arg(LongestListFile / (1024 * 1024)));
    return ParseListFile(text, listPath);
}

} // namespace korvex
