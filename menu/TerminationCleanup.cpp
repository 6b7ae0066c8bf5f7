#include "menu/TerminationCleanup.h"

#include <signal.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace menu {
namespace {

// Plain buffers: the signal handler may only unlink.
char gLockPath[4096];
char gSocketPath[4096];
volatile sig_atomic_t gHeld = 0;

void RemoveLeftovers() {
    if (gHeld == 0) return;
    gHeld = 0;
    ::unlink(gLockPath);
    if (gSocketPath[0] != '\0') ::unlink(gSocketPath);
}

extern "C" void OnTerminate(int signalNumber) {
    RemoveLeftovers();
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

void Copy(char (&target)[4096], const QString& text) {
    const QByteArray bytes = QFile::encodeName(text);
    const std::size_t n = std::min(static_cast<std::size_t>(bytes.size()), sizeof target - 1);
    std::memcpy(target, bytes.constData(), n);
    target[n] = '\0';
}

}  // namespace

void RemoveOnTermination(const QString& lockPath, const QString& socketPath) {
    Copy(gLockPath, lockPath);
    Copy(gSocketPath, socketPath);
    gHeld = 1;
    static bool installed = false;
    if (installed) return;
    installed = true;
    std::atexit(RemoveLeftovers);
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction old = {};
        ::sigaction(signalNumber, nullptr, &old);
        if (old.sa_handler != SIG_DFL) continue;  // ignored on purpose (nohup)
        struct sigaction action = {};
        action.sa_handler = OnTerminate;
        ::sigemptyset(&action.sa_mask);
        ::sigaction(signalNumber, &action, nullptr);
    }
}

void KeepOnTermination() {
    gHeld = 0;
}

}  // namespace menu
