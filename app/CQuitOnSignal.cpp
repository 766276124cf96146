#include "app/CQuitOnSignal.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <utility>
#include <unistd.h>

namespace {
// The write end of the pipe, for the signal handler (which may only write to it).
volatile sig_atomic_t g_signalPipe = -1;
// More windows than a person can open: a window that will not close cannot hold the loop.
constexpr int kMostWindowsClosed = 64;
}  // namespace

CQuitOnSignal::CQuitOnSignal(QObject* parent) : QObject(parent) {
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error(std::string("cannot make the signal pipe: ") + std::strerror(errno));
    g_signalPipe = m_pipe[1];
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CQuitOnSignal::OnPipeReadable);
    struct sigaction action {};
    action.sa_handler = &CQuitOnSignal::OnSignal;
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigemptyset(&action.sa_mask);
    // A signal the program was started with ignored (nohup, a background job
    // of a script) stays ignored.
    for (auto [signal, previous] : {std::pair{SIGINT, &m_previousInt}, std::pair{SIGTERM, &m_previousTerm}}) {
        sigaction(signal, nullptr, previous);
        if (previous->sa_handler != SIG_IGN) sigaction(signal, &action, nullptr);
    }
}

CQuitOnSignal::~CQuitOnSignal() {
    sigaction(SIGINT, &m_previousInt, nullptr);
    sigaction(SIGTERM, &m_previousTerm, nullptr);
    g_signalPipe = -1;
    delete m_notifier;
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

void CQuitOnSignal::OnSignal(int signal) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    if (g_signalPipe >= 0) {
        // A full pipe already holds a wake-up; nothing is lost.
        [[maybe_unused]] const ssize_t written = ::write(g_signalPipe, &byte, 1);
    }
    errno = saved;
}

void CQuitOnSignal::OnPipeReadable() {
    unsigned char bytes[16];
    ssize_t got = 0;
    while ((got = ::read(m_pipe[0], bytes, sizeof bytes)) > 0) m_received = bytes[got - 1];
    if (m_received == 0) return;
    emit Quitting(m_received);
    CloseOpenWindows();
}

void CQuitOnSignal::CloseOpenWindows() {
    // Menus first, then the dialogs from the innermost out: each ends its own
    // modal run, and the code after it (saving the options) runs as usual.
    for (int closed = 0; closed < kMostWindowsClosed; ++closed) {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();
        } else if (QWidget* modal = QApplication::activeModalWidget()) {
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->done(QDialog::Rejected);
            else
                modal->close();
        } else {
            return;
        }
    }
}
