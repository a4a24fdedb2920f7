#pragma once

#include <QObject>

class QSocketNotifier;

namespace korvex {

// Turns SIGTERM, SIGINT and SIGHUP (a desktop session ending, Ctrl-C in a
// terminal) into an orderly close of the main window, so that a run is
// stopped and the settings are written as on any other close. The handler
// only writes a byte to a socket; the window thread does the rest.
// SIGTERM, SIGINT and SIGHUP held back from the start of the program until a
// TerminationSignals handler exists: one sent in between is delivered to the
// handler then, instead of ending the program without its settings.
class HeldTerminationSignals
{
public:
    HeldTerminationSignals();
    ~HeldTerminationSignals() { release(); }
    HeldTerminationSignals(const HeldTerminationSignals &) = delete;
    HeldTerminationSignals &operator=(const HeldTerminationSignals &) = delete;
    // Delivers what was held; later signals arrive at once.
    void release();

private:
    bool m_held = false;
};

class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void terminationRequested();

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};

} // namespace korvex
