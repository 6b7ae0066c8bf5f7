#pragma once
// A file or socket descriptor closed when it goes out of scope.

#include <unistd.h>

#include <utility>

namespace menu {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    // Hands the descriptor over, to be closed by the caller.
    int Release() { return std::exchange(fd_, -1); }
    // Closes now and reports the result; close can report a failed write.
    int Close() { return ::close(Release()); }

private:
    int fd_;
};

}  // namespace menu
