#pragma once
// The signals that end a program from outside (SIGTERM from kill or a logout without session
// management, SIGHUP from a closed terminal, SIGINT from Ctrl+C) turned into a Qt signal, so that
// the program ends the way its quit button ends it, saving what the user changed.
//
// The handler only writes the signal number into a pipe (the one thing a signal handler may
// safely do); a socket notifier on the other end emits quitRequested() from the event loop, where
// the shutdown can run like any other command. One instance at a time; the previous handlers come
// back when it is destroyed.

#include <QObject>
#include <array>
#include <csignal>

class QSocketNotifier;

class QuitSignals : public QObject {
    Q_OBJECT
public:
    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;

signals:
    void quitRequested();

private:
    void drain();

    std::array<int, 2> m_pipe{-1, -1};
    QSocketNotifier* m_notifier = nullptr;
    std::array<struct sigaction, 3> m_previous{};
};
