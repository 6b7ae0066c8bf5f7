#include "menu/HighScoreFile.h"

#include "menu/Descriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace menu {
namespace {

std::string Reason(int error) {
    return std::strerror(error);
}

std::string Failure(const char* what, const std::string& path, const std::string& reason) {
    return std::string(what) + " \"" + path + "\": " + reason + ".";
}

std::string Failure(const char* what, const std::string& path, int error) {
    return Failure(what, path, Reason(error));
}

bool WriteAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Mode for a new file: the old file's, or what the umask leaves of rw-rw-rw-.
mode_t NewFileMode(const std::string& path) {
    struct stat old = {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        return old.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Where a save goes: a link in the file's place is written through, so a
// table that several folders share by links keeps taking their scores. A
// link to nothing is replaced, as a missing file would be created.
std::string SaveTarget(const std::string& path) {
    struct stat info = {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return path;
    }
    const std::unique_ptr<char, void (*)(void*)> resolved(::realpath(path.c_str(), nullptr), std::free);
    return resolved ? std::string(resolved.get()) : path;
}

// Index of the first CR or LF in buffer[from, n), or n.
ssize_t SkipToLineEnd(const char* buffer, ssize_t from, ssize_t n) {
    const auto length = static_cast<std::size_t>(n - from);
    const void* cr = std::memchr(buffer + from, '\r', length);
    const auto crLength =
        cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - (buffer + from)) : length;
    const void* lf = std::memchr(buffer + from, '\n', crLength);
    const char* end = lf ? static_cast<const char*>(lf) : buffer + from + crLength;
    return end - buffer;
}

// While an over-long line is skipped, a hole of a sparse file (only zero
// bytes, none of them a line end) is stepped over without reading it.
void SkipHole(int fd) {
    const off_t here = ::lseek(fd, 0, SEEK_CUR);
    if (here < 0) {
        return;
    }
    if (::lseek(fd, here, SEEK_DATA) >= 0) {
        return;
    }
    if (errno == ENXIO) {
        ::lseek(fd, 0, SEEK_END);  // nothing but a hole up to the end
    } else {
        ::lseek(fd, here, SEEK_SET);  // holes not reported here: read on
    }
}

}  // namespace

const HighScoreLines& DefaultHighScoreLines() {
    static const HighScoreLines lines = {
        "Tilebash", "30000",    "Tilebash", "20000",    "Tilebash",
        "15000",    "Tilebash", "10000",    "Tilebash", "5000",
    };
    return lines;
}

HighScoreReadResult ReadHighScoreFile(const std::string& path) {
    HighScoreReadResult result;
    // Not blocking, so a pipe put in the file's place cannot hold the start
    // up; only a regular file is read (a device could be read forever).
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.Get() < 0) {
        result.error = Failure("Cannot open the high-score file", path, errno);
        return result;
    }
    struct stat info = {};
    if (::fstat(fd.Get(), &info) != 0) {
        result.error = Failure("Cannot read the high-score file", path, errno);
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.error = Failure("Cannot read the high-score file", path,
                               S_ISDIR(info.st_mode) ? Reason(EISDIR) : "Not an ordinary file");
        return result;
    }

    std::string line;
    bool inLine = false;   // bytes of the current line have been seen
    bool afterCr = false;  // an LF now belongs to the CR before it
    char buffer[65536];
    while (result.lines.size() < kHighScoreLines) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            result.lines.clear();
            result.error = Failure("Cannot read the high-score file", path, errno);
            return result;
        }
        if (n == 0) {
            break;
        }
        for (ssize_t i = 0; i < n && result.lines.size() < kHighScoreLines; ++i) {
            const char c = buffer[i];
            if (afterCr) {
                afterCr = false;
                if (c == '\n') {
                    continue;
                }
            }
            if (c == '\r' || c == '\n') {
                result.lines.push_back(std::move(line));
                line.clear();
                inLine = false;
                afterCr = c == '\r';
                continue;
            }
            inLine = true;
            if (line.size() < kMaxLineBytes) {
                line.push_back(c);
            } else {
                // The line is full: jump to its end instead of walking its rest.
                i = SkipToLineEnd(buffer, i, n) - 1;
            }
        }
        if (line.size() >= kMaxLineBytes) {
            SkipHole(fd.Get());
        }
    }
    if (inLine && result.lines.size() < kHighScoreLines) {
        result.lines.push_back(std::move(line));
    }
    result.ok = true;
    return result;
}

FileStatus WriteHighScoreFile(const std::string& path, const HighScoreLines& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        // A line end inside a text (a name pasted with one) would shift every
        // later line: it is written as a blank, so the file keeps ten lines.
        for (const char c : line) {
            bytes += c == '\r' || c == '\n' ? ' ' : c;
        }
        bytes += "\r\n";
    }
    return ReplaceHighScoreFile(path, bytes);
}

FileStatus ReplaceHighScoreFile(const std::string& path, std::string_view bytes) {
    const std::string target = SaveTarget(path);
    std::string temporary = target + ".XXXXXX";
    const mode_t mode = NewFileMode(target);
    Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.Get() < 0) {
        return {false, Failure("Cannot create the high-score file", path, errno)};
    }
    const auto fail = [&](int error) {
        ::unlink(temporary.c_str());
        return FileStatus{false, Failure("Cannot write the high-score file", path, error)};
    };
    if (::fchmod(fd.Get(), mode) != 0 || !WriteAll(fd.Get(), bytes) || ::fsync(fd.Get()) != 0) {
        return fail(errno);
    }
    if (fd.Close() != 0) {
        return fail(errno);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        return fail(errno);
    }
    // Makes the rename itself durable; the file is already whole either way.
    Descriptor folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0) {
        ::fsync(folder.Get());
    }
    return {};
}

FileStatus EnsureHighScoreFile(const std::string& path) {
    struct stat info = {};
    if (::stat(path.c_str(), &info) == 0) {
        return {};
    }
    if (errno != ENOENT) {
        return {false, Failure("Cannot look for the high-score file", path, errno)};
    }
    return WriteHighScoreFile(path, DefaultHighScoreLines());
}

}  // namespace menu
