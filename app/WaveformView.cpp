#include "app/WaveformView.h"

#include "components/SkinFace.h"
#include "components/skin/SkinForm.h"
#include "joblist/JobList.h"
#include "joblist/SegmentPlan.h"
#include "settings/Settings.h"

namespace korvex {

const QString WaveformView::ObjectName = QStringLiteral("wave");

WaveformView::WaveformView(SkinForm &form, JobList &jobs, const Settings &settings, SkinFace &face,
                           QObject *parent)
    : QObject(parent), m_object(form.object(ObjectName)), m_jobs(jobs), m_settings(settings), m_face(face)
{
    connect(&m_source, &WaveformSource::overviewChanged, this, &WaveformView::showLevels);
    QAbstractItemModel *segments = jobs.segmentModel();
    // the segment view is rebuilt or edited whenever the current entry, its
    // segments or the mode change
    connect(segments, &QAbstractItemModel::modelReset, this, &WaveformView::refresh);
    connect(segments, &QAbstractItemModel::dataChanged, this, &WaveformView::refresh);
    connect(segments, &QAbstractItemModel::rowsInserted, this, &WaveformView::refresh);
    connect(segments, &QAbstractItemModel::rowsRemoved, this, &WaveformView::refresh);
    connect(jobs.fileModel(), &QAbstractItemModel::rowsRemoved, this, &WaveformView::refresh);
    connect(jobs.fileModel(), &QAbstractItemModel::modelReset, this, &WaveformView::refresh);
    connect(&face, &SkinFace::redrawRequested, this, [this](const QString &name) {
        if (name == skin_object::Slider)
            showPlayPosition();
        else if (name == skin_object::PathText)
            refresh();
    });
    connect(&face, &SkinFace::OnScrollTrack, this, [this](const QString &name) {
        if (name == skin_object::Slider)
            showPlayPosition();
    });
    refresh();
}

int WaveformView::currentRow() const
{
    const int row = m_jobs.SelectedFileRow;
    return row >= 0 && row < m_jobs.rowCount() ? row : -1;
}

void WaveformView::refresh()
{
    const int row = currentRow();
    m_source.show(row >= 0 ? m_jobs.JobRecords().at(row).FileName : QString());
    showBands(row);
    showPlayPosition();
}

void WaveformView::showLevels()
{
    const WaveOverview &overview = m_source.current();
    m_object->waveformInterface()->setLevels(overview.peak, overview.rms, overview.filled);
    m_object->commonInterface()->redraw();
}

void WaveformView::showBands(int row)
{
    QList<SkinWaveBand> bands;
    const int mode = m_settings.SplitMode;
    const bool marked = mode == split_mode::Custom || mode == split_mode::Unification;
    if (row >= 0 && marked) {
        const int edited = mode == split_mode::Unification ? 0 : row;
        const double duration = m_jobs.JobRecords().at(row).Duration * 1000.0;
        const QList<Segment> segments = allSegments(m_jobs.JobRecords().at(edited));
        for (qsizetype k = 0; k < segments.size() && duration > 0; ++k) {
            const double begin = std::clamp(double(segments[k].Begin) / duration, 0.0, 1.0);
            const double end = std::clamp(double(segments[k].End) / duration, 0.0, 1.0);
            bands.append({begin, std::max(begin, end), k == segments.size() - 1});
        }
    }
    m_object->waveformInterface()->setBands(bands);
    m_object->commonInterface()->redraw();
}

void WaveformView::showPlayPosition()
{
    const int largest = m_face.maxPosition(skin_object::Slider);
    const double fraction = largest > 0 ? double(m_face.position(skin_object::Slider)) / largest : 0.0;
    // the slider stands for the whole file, in segment playback too
    m_playFraction = fraction;
    m_object->waveformInterface()->setPlayFraction(m_playFraction);
    m_object->commonInterface()->redraw();
}

} // namespace korvex
