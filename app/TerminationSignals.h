#pragma once

#include <QObject>

class QSocketNotifier;

namespace korvex {

// Turns SIGTERM, SIGINT and SIGHUP (a desktop session ending, Ctrl-C in a
// terminal) into an orderly close of the main window, so that a run is
// stopped and the settings are written as on any other close. The handler
// only writes a byte to a socket; the window thread does the rest.
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
