#pragma once
#include <QObject>
#include <csignal>

class QSocketNotifier;

/// Ends the window program cleanly on SIGINT or SIGTERM. The signal handler
/// only writes a byte to a pipe; on the window thread a notifier then closes
/// every open menu and dialog, innermost first, as Esc would, so the windows
/// end their modal runs and save the settings on the way out. The first
/// signal restores the default handling: a second one ends the program at
/// once. A signal ignored when the object is made stays ignored. One object at a time; the previous handling returns when it is
/// destroyed. Throws std::runtime_error when the pipe cannot be made.
class CQuitOnSignal : public QObject {
    Q_OBJECT
public:
    explicit CQuitOnSignal(QObject* parent = nullptr);
    ~CQuitOnSignal() override;
    CQuitOnSignal(const CQuitOnSignal&) = delete;
    CQuitOnSignal& operator=(const CQuitOnSignal&) = delete;

    /// The signal that arrived last (0: none yet).
    int Received() const { return m_received; }

signals:
    /// Emitted on the window thread once a signal has arrived, before the windows close.
    void Quitting(int signal);

private:
    static void OnSignal(int signal);
    void OnPipeReadable();
    static void CloseOpenWindows();

    int m_pipe[2] = {-1, -1};
    QSocketNotifier* m_notifier = nullptr;
    struct sigaction m_previousInt {};
    struct sigaction m_previousTerm {};
    int m_received = 0;
};
