#include "joblist/CueImport.h"

#include "components/KorvexError.h"
#include "joblist/SegmentPlan.h"
#include "joblist/SegmentTagEdits.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace korvex {

namespace {

// A sheet is text of a few kilobytes; anything far larger is no sheet.
constexpr qint64 LargestSheetBytes = 4 * 1024 * 1024;

// The named file, or the one file beside the sheet with its base name and
// another extension; empty when neither is there.
QString findAudio(const QDir &folder, const QString &named)
{
    const QString path = folder.absoluteFilePath(QString(named).replace(QLatin1Char('\\'), QLatin1Char('/')));
    if (QFileInfo(path).isFile())
        return path;
    const QFileInfo wanted(path);
    const QStringList others = wanted.dir().entryList({wanted.completeBaseName() + QStringLiteral(".*")},
                                                      QDir::Files);
    QStringList audio;
    for (const QString &other : others) {
        if (!IsCueSheetPath(other))
            audio.append(wanted.dir().absoluteFilePath(other));
    }
    return audio.size() == 1 ? audio.constFirst() : QString();
}

// Tracks with a start, in the sheet's order; false when a start lies before
// the one of the track before it.
bool startingTracks(const QList<CueTrack> &all, QList<CueTrack> &tracks)
{
    for (CueTrack track : all) {
        if (track.startMs < 0)
            track.startMs = track.pregapMs;  // a sheet that marks only INDEX 00
        if (track.startMs < 0)
            continue;
        if (!tracks.isEmpty() && track.startMs < tracks.constLast().startMs)
            return false;
        tracks.append(track);
    }
    return true;
}

} // namespace

bool IsCueSheetPath(const QString &path)
{
    return path.endsWith(QStringLiteral(".cue"), Qt::CaseInsensitive);
}

QList<CueEntry> ReadCueEntries(const QString &cuePath, QStringList &problems)
{
    const QString sheetName = QFileInfo(cuePath).fileName();
    QFile file(cuePath);
    if (file.size() > LargestSheetBytes || !file.open(QIODevice::ReadOnly)) {
        problems.append(QStringLiteral("The CUE sheet %1 cannot be read.").arg(sheetName));
        return {};
    }
    const CueSheet sheet = ParseCueSheet(DecodeCueText(file.readAll()));
    const QDir folder = QFileInfo(cuePath).absoluteDir();
    QList<CueEntry> entries;
    for (const CueFile &named : sheet.files) {
        CueEntry entry{{}, {}, sheet.title, sheet.performer, sheet.date, sheet.genre};
        if (!startingTracks(named.tracks, entry.tracks)) {
            problems.append(QStringLiteral("The CUE sheet %1 lists the tracks of %2 out of order; it is not added.")
                                .arg(sheetName, named.name));
            continue;
        }
        if (entry.tracks.isEmpty())
            continue;
        if (named.name.isEmpty()) {
            problems.append(QStringLiteral("The CUE sheet %1 lists tracks under no FILE name; they are not added.")
                                .arg(sheetName));
            continue;
        }
        entry.audioPath = findAudio(folder, named.name);
        if (entry.audioPath.isEmpty()) {
            problems.append(QStringLiteral("The CUE sheet %1 names the audio file \"%2\", which is not in %3.")
                                .arg(sheetName, named.name, folder.path()));
            continue;
        }
        entries.append(entry);
    }
    if (entries.isEmpty() && problems.isEmpty())
        problems.append(QStringLiteral("The CUE sheet %1 holds no track with a start time.").arg(sheetName));
    return entries;
}

void ApplyCueEntry(listrecord &entry, AudioFileinfo &tags, const CueEntry &cue)
{
    const qint64 lengthMs = EntryLengthMs(entry);
    QList<qint64> begins;
    QList<qint64> ends;
    QList<SegmentTags> own;
    for (qsizetype k = 0; k < cue.tracks.size(); ++k) {
        const CueTrack &track = cue.tracks.at(k);
        if (track.startMs >= lengthMs)
            break;
        const qint64 end = k + 1 < cue.tracks.size() ? qMin(cue.tracks.at(k + 1).startMs, lengthMs) : lengthMs;
        begins.append(track.startMs);
        ends.append(end);
        own.append({track.title, track.performer});
    }
    SetTitledSegments(entry, begins, ends, own);
    if (!cue.album.isEmpty())
        tags.Album = cue.album;
    if (tags.Title.isEmpty())
        tags.Title = cue.album;
    if (!cue.performer.isEmpty())
        tags.Artist = cue.performer;
    if (!cue.date.isEmpty())
        tags.Year = cue.date;
    if (!cue.genre.isEmpty())
        tags.Genre = cue.genre;
}

QString CueSheetPathFor(const QString &source)
{
    const QFileInfo info(source);
    return info.dir().absoluteFilePath(info.completeBaseName() + QStringLiteral(".cue"));
}

CueSheet CueSheetForEntry(const listrecord &entry, const AudioFileinfo &tags)
{
    CueSheet sheet{tags.Album.isEmpty() ? tags.Title : tags.Album, tags.Artist, tags.Year, tags.Genre, {}};
    CueFile file;
    file.name = QFileInfo(entry.FileName).fileName();
    file.type = file.name.endsWith(QStringLiteral(".mp3"), Qt::CaseInsensitive) ? QStringLiteral("MP3")
                                                                                  : QStringLiteral("WAVE");
    const QList<Segment> segments = customPlan(entry);
    for (qsizetype k = 0; k < segments.size(); ++k) {
        if (k > 0 && segments.at(k).Begin < segments.at(k - 1).Begin)
            throw KorvexError(QStringLiteral("Segment %1 of %2 begins before segment %3: a CUE sheet lists its "
                                             "tracks in the order they start.")
                                  .arg(k + 1).arg(file.name).arg(k));
        const SegmentTags own = entry.OwnTags.value(k);
        CueTrack track;
        track.number = int(k + 1);
        track.title = own.Title;
        track.performer = own.Artist;
        track.startMs = segments.at(k).Begin;
        // a pause between two segments is kept as the next track's pregap
        if (k > 0 && segments.at(k - 1).End < track.startMs)
            track.pregapMs = segments.at(k - 1).End;
        file.tracks.append(track);
    }
    sheet.files.append(file);
    return sheet;
}

void SaveCueSheet(const QString &path, const CueSheet &sheet)
{
    QSaveFile file(path);
    const QByteArray text = WriteCueSheet(sheet);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        throw KorvexError(QStringLiteral("Unable to write the CUE sheet '%1': %2.").arg(path, file.errorString()));
}

} // namespace korvex
