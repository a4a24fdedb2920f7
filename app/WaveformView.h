#pragma once

#include "components/WaveformSource.h"

#include <QObject>

namespace korvex {

class ISkinObject;
class JobList;
class SkinFace;
class SkinForm;
struct Settings;

// Keeps the skin's waveform object ("wave") in step with the window: the
// sound of the current entry as the worker computes it, the segments Begin
// and End work on (the entry's own in custom mode, entry 0's in unification
// mode, none in the time and count modes) and the position of "pb", which
// stands for the whole file (inside the played segment's band while a
// segment plays). A skin without "wave"
// gets a hidden stand-in, and nothing shows.
class WaveformView : public QObject
{
    Q_OBJECT
public:
    static const QString ObjectName;

    WaveformView(SkinForm &form, JobList &jobs, const Settings &settings, SkinFace &face,
                 QObject *parent = nullptr);

    WaveformSource &source() { return m_source; }
    // Re-reads the current entry and its segments.
    void refresh();
    // Where the play line stands, as a fraction of the whole file.
    double playFraction() const { return m_playFraction; }

private:
    int currentRow() const;
    void showLevels();
    void showBands(int row);
    void showPlayPosition();

    ISkinObject *m_object;
    JobList &m_jobs;
    const Settings &m_settings;
    SkinFace &m_face;
    double m_playFraction = 0;
    WaveformSource m_source;
};

} // namespace korvex
