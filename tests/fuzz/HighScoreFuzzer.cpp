// The high-score file, whatever its bytes: read it, fill the table, insert
// scores as games would, type a name, save, and read the saved file again.
// The saved file must always be exactly ten lines each ending in CR LF, and
// reloading it must give the table that was saved.
//
// Input: byte 0 gives the number of scores (0..7, low three bits), then four
// bytes per score (little-endian int32), then one byte of name length (mod 11)
// and the name's UTF-8 bytes; all remaining bytes are the file. Short inputs are
// padded with zeros.

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "../menu/TableView.h"
#include "menu/Cp1252.h"
#include "menu/HighScoreFile.h"
#include "menu/HighScoreTable.h"

namespace {

using menu_test::TableView;

std::string folder;
std::string path;

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "high-score fuzzer: %s\n", what);
    std::abort();
}

class Reader {
public:
    Reader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    int32_t Int32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Byte()) << (8 * i);
        return static_cast<int32_t>(v);
    }
    std::string Bytes(std::size_t n) {
        const std::size_t take = std::min(n, size_ - std::min(at_, size_));
        std::string s(reinterpret_cast<const char*>(data_ + at_), take);
        at_ += take;
        return s;
    }
    std::string Rest() { return Bytes(size_); }

private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

void WriteRaw(const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) Fail("cannot write the input file");
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
        Fail("short write");
    std::fclose(f);
}

std::string ReadRaw() {
    std::string bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) Fail("the saved file cannot be opened");
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
    return bytes;
}

// Exactly ten lines, every one ended by CR LF, and no CR or LF inside a line.
void CheckTenCrLfLines(const std::string& bytes) {
    int lineEnds = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            if (i + 1 >= bytes.size() || bytes[i + 1] != '\n') Fail("a CR without its LF");
            ++lineEnds;
            ++i;
        } else if (bytes[i] == '\n') {
            Fail("an LF without its CR");
        }
    }
    if (lineEnds != 10) Fail("the saved file does not hold ten lines");
    if (bytes.size() < 2 || bytes.compare(bytes.size() - 2, 2, "\r\n") != 0)
        Fail("the last line has no CR LF");
}

std::string Flat(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // tmpfs where there is one: the save's fsync costs nothing there.
    std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string name = base + "/tilebash-fuzz-XXXXXX";
    if (::mkdtemp(name.data()) == nullptr) Fail("mkdtemp failed");
    folder = name;
    path = folder + "/highscore.txt";
    std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    Reader in(data, size);
    const int scoreCount = in.Byte() & 7;
    std::vector<int32_t> scores;
    for (int i = 0; i < scoreCount; ++i) scores.push_back(in.Int32());
    // The name box takes at most ten characters; ten bytes of UTF-8 are never more.
    const std::string typed = in.Bytes(in.Byte() % 11);
    WriteRaw(in.Rest());

    // Loading, as the start window does.
    if (!menu::EnsureHighScoreFile(path).ok) Fail("an existing file was reported missing");
    const menu::HighScoreReadResult read = menu::ReadHighScoreFile(path);
    if (!read.ok) Fail("a readable file failed to read");
    if (read.lines.size() > menu::kHighScoreLines) Fail("more than ten lines read");
    for (const std::string& line : read.lines) {
        if (line.size() > menu::kMaxLineBytes) Fail("a line longer than the limit was kept");
        if (line.find_first_of("\r\n") != std::string::npos) Fail("a line end inside a line");
    }
    TableView view;
    menu::FillTable(view, read.lines);

    // Games end with these scores; an entering one gets a name typed.
    for (const int32_t score : scores) {
        const int row = menu::InsertScore(view, score);
        if (row < -1 || row >= menu::kHighScoreRows) Fail("InsertScore returned no row");
        if (row >= 0) {
            if (view.ScoreText(row) != std::to_string(score)) Fail("the row does not hold the score");
            view.SetNameText(row, typed.empty() ? "Anonymous" : typed);
        }
    }

    // Saving, then loading again.
    const menu::HighScoreLines saved = menu::TableLines(view);
    const menu::FileStatus status = menu::WriteHighScoreFile(path, saved);
    if (!status.ok) Fail(status.error.c_str());
    CheckTenCrLfLines(ReadRaw());
    const menu::HighScoreReadResult again = menu::ReadHighScoreFile(path);
    if (!again.ok || again.lines.size() != menu::kHighScoreLines) Fail("the saved file does not read back");
    TableView reloaded;
    menu::FillTable(reloaded, again.lines);
    for (std::size_t i = 0; i < saved.size(); ++i) {
        if (menu::TableLines(reloaded)[i] != Flat(saved[i]))
            Fail("the reloaded table differs from the saved one");
    }
    // What the boxes showed comes back, wherever the code page can hold it;
    // a line end inside a text comes back as a blank.
    for (int row = 0; row < menu::kHighScoreRows; ++row) {
        if (menu::Cp1252CanEncodeUtf8(view.NameText(row)) &&
            reloaded.NameText(row) != Flat(view.NameText(row))) {
            Fail("a name changed through the save");
        }
        if (menu::Cp1252CanEncodeUtf8(view.ScoreText(row)) &&
            reloaded.ScoreText(row) != Flat(view.ScoreText(row))) {
            Fail("a score changed through the save");
        }
    }
    // Saving the reloaded table again writes the same bytes.
    const std::string first = ReadRaw();
    if (!menu::WriteHighScoreFile(path, menu::TableLines(reloaded)).ok) Fail("the second save failed");
    if (ReadRaw() != first) Fail("saving the reloaded table changed the file");
    return 0;
}
