#include "components/Chapters.h"

#include "components/FfmpegSupport.h"

#include <QFile>
#include <QTime>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

#include <algorithm>

namespace korvex {

namespace {

constexpr AVRational Milliseconds{1, 1000};

qint64 toMs(int64_t time, AVRational base)
{
    return av_rescale_q(time, base, Milliseconds);
}

} // namespace

QList<Chapter> ReadChapters(const QString &path)
{
    AVFormatContext *raw = nullptr;
    if (avformat_open_input(&raw, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return {};
    const InputFormatPtr format(raw);
    // Ogg chapter comments come with the streams, and the length with them
    if (avformat_find_stream_info(format.get(), nullptr) < 0)
        return {};
    const qint64 fileMs = format->duration > 0 ? format->duration / (AV_TIME_BASE / 1000) : 0;
    QList<Chapter> chapters;
    for (unsigned k = 0; k < format->nb_chapters; ++k) {
        const AVChapter &chapter = *format->chapters[k];
        const AVDictionaryEntry *title = av_dict_get(chapter.metadata, "title", nullptr, 0);
        const qint64 start = qMax<qint64>(toMs(chapter.start, chapter.time_base), 0);
        const qint64 end = chapter.end > chapter.start ? toMs(chapter.end, chapter.time_base) : -1;
        chapters.append({start, end, title ? QString::fromUtf8(title->value) : QString()});
    }
    std::stable_sort(chapters.begin(), chapters.end(),
                     [](const Chapter &a, const Chapter &b) { return a.startMs < b.startMs; });
    for (qsizetype k = 0; k < chapters.size(); ++k) {
        const qint64 next = k + 1 < chapters.size() ? chapters.at(k + 1).startMs : fileMs;
        if (chapters[k].endMs < 0)
            chapters[k].endMs = qMax(next, chapters[k].startMs);
    }
    return chapters;
}

void AddChapters(AVFormatContext &format, const QList<Chapter> &chapters)
{
    for (const Chapter &mark : chapters) {
        // avformat_free_context frees both, as it frees a demuxer's
        auto *chapter = static_cast<AVChapter *>(av_mallocz(sizeof(AVChapter)));
        auto *grown = static_cast<AVChapter **>(
            chapter ? av_realloc_array(format.chapters, format.nb_chapters + 1, sizeof(AVChapter *)) : nullptr);
        if (!grown) {
            av_free(chapter);
            return;  // out of memory: the file goes without its marks
        }
        format.chapters = grown;
        format.chapters[format.nb_chapters++] = chapter;
        chapter->id = format.nb_chapters;
        chapter->time_base = Milliseconds;
        chapter->start = mark.startMs;
        chapter->end = qMax(mark.endMs, mark.startMs);
        if (!mark.title.isEmpty())
            av_dict_set(&chapter->metadata, "title", mark.title.toUtf8().constData(), 0);
    }
}

void AddChapterComments(AVDictionary *&comments, const QList<Chapter> &chapters)
{
    for (qsizetype n = 0; n < chapters.size(); ++n) {
        const Chapter &mark = chapters.at(n);
        const QByteArray key = QStringLiteral("CHAPTER%1").arg(n, 3, 10, QLatin1Char('0')).toLatin1();
        const QTime start = QTime::fromMSecsSinceStartOfDay(int(qBound(qint64(0), mark.startMs, qint64(86399999))));
        av_dict_set(&comments, key.constData(), start.toString(QStringLiteral("HH:mm:ss.zzz")).toLatin1().constData(), 0);
        if (!mark.title.isEmpty())
            av_dict_set(&comments, (key + "NAME").constData(), mark.title.toUtf8().constData(), 0);
    }
}

} // namespace korvex
