#pragma once

#include <QElapsedTimer>
#include <QObject>

namespace korvex {

// Times the start-up from main() to the main window's first paint. When the
// environment names KORVEX_STARTUP_REPORT, the figure is printed on standard
// error and the program quits at once: the benchmark starts the window this
// way, many times over.
class StartupClock : public QObject
{
public:
    StartupClock();
    void watch(QObject *window);
    static bool reporting();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QElapsedTimer m_clock;
    bool m_painted = false;
};

} // namespace korvex
