// SPDX-License-Identifier: GPL-3.0-or-later
// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the GUI thread, so a
// logout or a kill closes the main window the normal way and saves.
#ifndef UNIXSIGNALS_H
#define UNIXSIGNALS_H

#include <QObject>

class QSocketNotifier;

class UnixSignals : public QObject
{
    Q_OBJECT
public:
    explicit UnixSignals(QObject *parent = nullptr);
    ~UnixSignals() override;

signals:
    void terminationRequested(int signalNumber);

private:
    void readSignal();
    QSocketNotifier *m_notifier = nullptr;
};

// A file size limit (ulimit -f) then makes a write fail with EFBIG, which the
// save path handles, instead of killing Mellidor in the middle of a line.
// Called first thing in main, so every kind of run has it.
void ignoreFileSizeSignal();

#endif
