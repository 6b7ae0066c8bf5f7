#pragma once
// Faults of a real disk made in a forked child with a private mount
// namespace, so no mount outlives the test. Where mounting is not allowed
// (no root, a locked-down container) the child reports why, and the test
// skips with that reason.

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>

namespace menu_test {

// What a child reports: "" when all held, "SKIP ..." when the fault could not
// be made, else the failures, one a line.
struct ChildReport {
    bool skipped = false;
    std::string text;
};

// Runs check in a forked child inside a private mount namespace, after
// setUp (which makes the mounts and returns "" or why it could not).
inline ChildReport InMountNamespace(const std::function<std::string()>& setUp,
                                    const std::function<std::string()>& check) {
    int fds[2];
    if (::pipe(fds) != 0) return {false, "pipe failed"};
    const pid_t pid = ::fork();
    if (pid < 0) return {false, "fork failed"};
    if (pid == 0) {
        ::close(fds[0]);
        std::string report;
        if (::unshare(CLONE_NEWNS) != 0) {
            report = std::string("SKIP cannot make a mount namespace: ") + std::strerror(errno);
        } else if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            report = std::string("SKIP cannot make the mounts private: ") + std::strerror(errno);
        } else {
            const std::string why = setUp();
            report = why.empty() ? check() : "SKIP " + why;
        }
        const char* p = report.data();
        std::size_t left = report.size();
        while (left > 0) {
            const ssize_t n = ::write(fds[1], p, left);
            if (n <= 0) break;
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string text;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return {false, "the child process died, status " + std::to_string(status) + "\n" + text};
    }
    if (text.rfind("SKIP ", 0) == 0) return {true, text.substr(5)};
    return {false, text};
}

// Bind-mounts folder read-only over itself: a folder even root cannot
// write to. Returns "" or why it could not.
inline std::string MountReadOnly(const std::string& folder) {
    if (::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
        return std::string("cannot bind-mount a folder read-only: ") + std::strerror(errno);
    }
    return "";
}

// Mounts a 16 KiB tmpfs on folder: a disk that fills up at once. Returns ""
// or why it could not.
inline std::string MountSmallDisk(const std::string& folder) {
    if (::mount("tilebash-test", folder.c_str(), "tmpfs", 0, "size=16k") != 0) {
        return std::string("cannot mount a small tmpfs: ") + std::strerror(errno);
    }
    return "";
}

}  // namespace menu_test
