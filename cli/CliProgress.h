#pragma once

#include <QObject>
#include <QString>

namespace korvex {
class Core;
}

namespace korvex::cli {

// Shows a run's progress from what the run writes for the window: the
// percentage of "pbpos", the row of lv_time marked "Converting", and every
// output completed. On a terminal a bar redrawn in place; otherwise one
// line per output written.
class CliProgress : public QObject
{
    Q_OBJECT
public:
    CliProgress(Core &core, bool terminal);
    // Ends the bar's line, if one is drawn.
    void finish();

private:
    void onRedraw(const QString &name);
    void onSegmentsChanged();
    void onOutputWritten(const QString &path);
    void drawBar();
    void clearBar();

    Core &m_core;
    bool m_terminal;
    bool m_barShown = false;
    int m_percent = 0;
    QString m_label;
};

} // namespace korvex::cli
