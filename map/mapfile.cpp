// SPDX-License-Identifier: MIT
#include "mapfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "error.h"
#include "savefile.h"

namespace korrin::map {

namespace {

constexpr int kEnd = -1;
// Lines the reader keeps: mapRows(1 .. 14).
constexpr int kRowSlots = kGridLast;

// The bytes of a map file, from memory or read in blocks from a descriptor, so that any file
// is read in bounded memory.
class Input {
public:
    explicit Input(std::string_view bytes)
        : pos_(bytes.data()), end_(bytes.data() + bytes.size()) {}
    explicit Input(int fd) : fd_(fd), pos_(buffer_.data()), end_(buffer_.data()) {}

    int peek(std::size_t ahead = 0) {
        if (static_cast<std::size_t>(end_ - pos_) <= ahead && !fill(ahead + 1)) {
            return kEnd;
        }
        return static_cast<unsigned char>(pos_[ahead]);
    }
    void advance(std::size_t count = 1) { pos_ += count; }

    // A line ends with LF or CR LF; returns its length in bytes at the current position, or 0.
    std::size_t lineEndAhead() {
        const int c = peek();
        if (c == '\n') {
            return 1;
        }
        return c == '\r' && peek(1) == '\n' ? 2 : 0;
    }

private:
    bool fill(std::size_t need) {
        if (fd_ < 0) {
            return false;
        }
        const std::size_t kept = static_cast<std::size_t>(end_ - pos_);
        std::memmove(buffer_.data(), pos_, kept);
        pos_ = buffer_.data();
        end_ = buffer_.data() + kept;
        while (static_cast<std::size_t>(end_ - pos_) < need) {
            const std::size_t held = static_cast<std::size_t>(end_ - pos_);
            const ssize_t got = ::read(fd_, buffer_.data() + held, buffer_.size() - held);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                throw systemError(errno, {});
            }
            if (got == 0) {
                return false;
            }
            end_ += got;
        }
        return true;
    }

    int fd_ = -1;
    std::array<char, 64 * 1024> buffer_{};
    const char* pos_;
    const char* end_;
};

// One text field as decoding needs it: its length and its last few characters, so that a
// line of any length costs the same memory.
class RowLine {
public:
    std::uint64_t length() const { return length_; }

    // Character number i, counted from 0; only the last kKept characters are held.
    char at(std::uint64_t i) const { return tail_[i % kKept]; }

    void append(char c) {
        tail_[length_ % kKept] = c;
        ++length_;
    }
    void appendSpaces(std::uint64_t count) {
        if (count > kKept) {
            length_ += count - kKept;
            count = kKept;
        }
        for (; count > 0; --count) {
            append(' ');
        }
    }

private:
    static constexpr std::uint64_t kKept = 16;  // decoding looks at most 13 back from the end
    std::array<char, kKept> tail_{};
    std::uint64_t length_ = 0;
};

class MapReader {
public:
    explicit MapReader(Input& in) : in_(in) {}

    void read(Grid& mass) {
        // Count A, then count B, then B text fields: the editor's own files have A = B = 13.
        const Byte a = readByteField();
        const Byte b = readByteField();
        std::array<RowLine, kRowSlots + 1> mapRows{};
        for (int k = 1; k <= b; ++k) {
            if (k > kRowSlots) {
                throw Error(ErrorNumber::SubscriptOutOfRange);
            }
            mapRows[k] = readTextField();
        }
        decode(mapRows, a, b, mass);
    }

private:
    void skipSpaces() {
        while (in_.peek() == ' ') {
            in_.advance();
        }
    }

    // Leading spaces are skipped; a field can only start before the end of the file.
    void startField() {
        skipSpaces();
        if (in_.peek() == kEnd) {
            throw Error(ErrorNumber::InputPastEndOfFile);
        }
    }

    // The spaces after a field go with the one comma or line end that follows them.
    void finishField() {
        skipSpaces();
        if (in_.peek() == ',') {
            in_.advance();
        } else {
            in_.advance(in_.lineEndAhead());
        }
    }

    Byte readByteField() {
        startField();
        int value = 0;
        bool digits = false;
        for (int c = in_.peek(); c != kEnd && c != ' ' && c != ',' && in_.lineEndAhead() == 0;
             c = in_.peek()) {
            if (c < '0' || c > '9') {
                throw Error(ErrorNumber::TypeMismatch);
            }
            value = value * 10 + (c - '0');
            if (value > 255) {
                throw Error(ErrorNumber::Overflow);
            }
            digits = true;
            in_.advance();
        }
        if (!digits) {
            throw Error(ErrorNumber::TypeMismatch);
        }
        finishField();
        return static_cast<Byte>(value);
    }

    RowLine readTextField() {
        startField();
        RowLine line;
        if (in_.peek() == '"') {
            in_.advance();
            for (int c = in_.peek(); c != kEnd && c != '"'; c = in_.peek()) {
                line.append(static_cast<char>(c));
                in_.advance();
            }
            if (in_.peek() == '"') {
                in_.advance();
            }
        } else {
            // Spaces count only when something other than the field's end follows them.
            std::uint64_t spaces = 0;
            for (int c = in_.peek(); c != kEnd && c != ',' && in_.lineEndAhead() == 0;
                 c = in_.peek()) {
                if (c == ' ') {
                    ++spaces;
                } else {
                    line.appendSpaces(spaces);
                    spaces = 0;
                    line.append(static_cast<char>(c));
                }
                in_.advance();
            }
        }
        finishField();
        return line;
    }

    // Rows are aligned on their last character: column x takes the first of the last
    // (14 - x) characters, or the line's first character when the line is shorter.
    static void decode(const std::array<RowLine, kRowSlots + 1>& mapRows, Byte a, Byte b,
                       Grid& mass) {
        Grid decoded = mass;
        for (int y = 1; y <= a; ++y) {
            for (int x = 1; x <= b; ++x) {
                if (y > kRowSlots) {
                    throw Error(ErrorNumber::SubscriptOutOfRange);
                }
                const RowLine& line = mapRows[y];
                const std::uint64_t take = static_cast<std::uint64_t>(kGridLast - x);
                if (take == 0 || line.length() == 0) {
                    throw Error(ErrorNumber::TypeMismatch);
                }
                const char c = line.at(line.length() > take ? line.length() - take : 0);
                if (c < '0' || c > '9') {
                    throw Error(ErrorNumber::TypeMismatch);
                }
                decoded(x, y) = static_cast<Byte>(c - '0');
            }
        }
        mass = decoded;
    }

    Input& in_;
};

// A space for the sign of a non-negative number, the digits, and a trailing space.
std::string numberPrintForm(Byte value) {
    std::string form(1, ' ');
    form += std::to_string(value);
    form += ' ';
    return form;
}

}  // namespace

std::string formatMap(const Grid& mass, const Settings& settings) {
    std::array<std::string, kRowSlots + 1> mapRows{};
    for (int y = 1; y <= kFieldSize; ++y) {
        for (int x = 1; x <= kFieldSize; ++x) {
            mapRows[y] += std::to_string(mass(x, y));
        }
    }
    if (settings.sizeSecond > kRowSlots) {
        throw Error(ErrorNumber::SubscriptOutOfRange);
    }
    std::string out = numberPrintForm(settings.sizeFirst) + "\r\n";
    out += numberPrintForm(settings.sizeSecond) + "\r\n";
    for (int y = 1; y <= settings.sizeSecond; ++y) {
        out += mapRows[y] + "\r\n";
    }
    return out;
}

void parseMap(std::string_view bytes, Grid& mass) {
    Input in(bytes);
    MapReader(in).read(mass);
}

void SaveMap(const std::string& fileName, const Grid& mass, const Settings& settings) {
    if (fileName.empty()) {
        return;
    }
    saveFile(fileName, formatMap(mass, settings));
}

void LoadMap(const std::string& fileName, Grid& mass) {
    if (fileName.empty()) {
        return;
    }
    // Non-blocking, so that opening a FIFO does not wait for a writer; only regular files
    // are read at all.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        throw systemError(errno, fileName);
    }
    const Descriptor file(fd);
    struct stat st {};
    if (::fstat(file.get(), &st) != 0) {
        throw systemError(errno, fileName);
    }
    if (!S_ISREG(st.st_mode)) {
        throw Error(ErrorNumber::PathFileAccessError, fileName);
    }
    try {
        Input in(file.get());
        MapReader(in).read(mass);
    } catch (const Error& error) {
        throw Error(error.code(), fileName);
    }
}

}  // namespace korrin::map
