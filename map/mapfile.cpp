// SPDX-License-Identifier: MIT
// The map file's reader and writer.
#include "mapfile.h"

#include <unistd.h>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "error.h"
#include "file.h"
#include "savefile.h"

namespace korrin::map {

namespace {

constexpr int kEnd = -1;
// Lines the reader keeps: mapRows(1 .. 14).
constexpr int kRowSlots = kGridLast;

// Thrown from inside the reader when the caller's progress asks to stop the load.
struct Stopped {};

// How many bytes at one end of `bytes` equal `c`, from the start or, `fromEnd`, from the end;
// compared a word at a time so that long runs cost little.
std::size_t runLength(std::string_view bytes, char c, bool fromEnd) {
    constexpr std::size_t kWord = sizeof(std::uint64_t);
    const std::uint64_t pattern = 0x0101010101010101U * static_cast<unsigned char>(c);
    // The offset of the `width` bytes that lie `n` bytes in from the chosen end.
    const auto at = [&](std::size_t n, std::size_t width) {
        return fromEnd ? bytes.size() - n - width : n;
    };
    std::size_t n = 0;
    for (std::uint64_t word = 0; n + kWord <= bytes.size(); n += kWord) {
        std::memcpy(&word, bytes.data() + at(n, kWord), kWord);
        if (word != pattern) {
            break;
        }
    }
    while (n < bytes.size() && bytes[at(n, 1)] == c) {
        ++n;
    }
    return n;
}

std::size_t leadingRun(std::string_view bytes, char c) {
    return runLength(bytes, c, false);
}

std::size_t trailingRun(std::string_view bytes, char c) {
    return runLength(bytes, c, true);
}

// Where an unquoted field ends in `bytes`: at the first comma or LF, or bytes.size().
std::size_t unquotedEnd(std::string_view bytes) {
    const std::size_t lf = std::min(bytes.find('\n'), bytes.size());
    return std::min(bytes.substr(0, lf).find(','), lf);
}

// The bytes of a map file, from memory or read in blocks from a descriptor, so that any file
// is read in bounded memory. The reader scans the bytes held in the window and asks for
// more only when it has consumed them.
class Input {
public:
    explicit Input(std::string_view bytes)
        : pos_(bytes.data()), end_(bytes.data() + bytes.size()) {}
    Input(int fd, const LoadProgress& progress)
        : fd_(fd), progress_(&progress), pos_(buffer_.data()), end_(buffer_.data()) {}

    // The bytes read but not consumed yet.
    std::string_view window() const { return {pos_, static_cast<std::size_t>(end_ - pos_)}; }
    void advance(std::size_t count = 1) { pos_ += count; }

    // Reads the next block behind the window's bytes; false at the end of the input.
    bool more() {
        if (fd_ < 0) {
            return false;
        }
        const std::size_t kept = static_cast<std::size_t>(end_ - pos_);
        std::memmove(buffer_.data(), pos_, kept);
        pos_ = buffer_.data();
        end_ = buffer_.data() + kept;
        const std::size_t got =
            readSome(fd_, buffer_.data() + kept, buffer_.size() - kept, std::string());
        if (got == 0) {
            return false;
        }
        end_ += got;
        bytesRead_ += got;
        if (*progress_ && !(*progress_)(bytesRead_)) {
            throw Stopped{};
        }
        return true;
    }

    int peek(std::size_t ahead = 0) {
        while (static_cast<std::size_t>(end_ - pos_) <= ahead) {
            if (!more()) {
                return kEnd;
            }
        }
        return static_cast<unsigned char>(pos_[ahead]);
    }

    // A line ends with LF or CR LF; returns its length in bytes at the current position, or 0.
    std::size_t lineEndAhead() {
        const int c = peek();
        if (c == '\n') {
            return 1;
        }
        return c == '\r' && peek(1) == '\n' ? 2 : 0;
    }

private:
    int fd_ = -1;
    const LoadProgress* progress_ = nullptr;
    std::uint64_t bytesRead_ = 0;
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
    void append(std::string_view text) {
        if (text.size() > kKept) {
            length_ += text.size() - kKept;
            text.remove_prefix(text.size() - kKept);
        }
        for (const char c : text) {
            append(c);
        }
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
    // Consumes a run of `c` of any length; returns how long it was.
    std::uint64_t skipRun(char c) {
        std::uint64_t skipped = 0;
        for (;;) {
            const std::string_view bytes = in_.window();
            const std::size_t run = leadingRun(bytes, c);
            in_.advance(run);
            skipped += run;
            if (run < bytes.size() || !in_.more()) {
                return skipped;
            }
        }
    }

    void skipSpaces() { skipRun(' '); }

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
        // Leading zeros leave the value at 0, however many there are.
        bool digits = skipRun('0') > 0;
        int value = 0;
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
            for (;;) {
                const std::string_view bytes = in_.window();
                const std::size_t quote = std::min(bytes.find('"'), bytes.size());
                line.append(bytes.substr(0, quote));
                in_.advance(quote);
                if (quote < bytes.size() || !in_.more()) {
                    break;
                }
            }
            if (in_.peek() == '"') {
                in_.advance();
            }
        } else {
            readUnquoted(line);
        }
        finishField();
        return line;
    }

    // Reads up to the comma or line end, in whole stretches of the window.
    void readUnquoted(RowLine& line) {
        std::uint64_t spaces = 0;
        for (;;) {
            const std::string_view bytes = in_.window();
            const std::size_t end = unquotedEnd(bytes);
            // A CR before LF belongs to the line end; one at the window's end waits for the
            // next block to tell.
            std::size_t text = end;
            if (text > 0 && bytes[text - 1] == '\r' &&
                (end == bytes.size() || bytes[end] == '\n')) {
                --text;
            }
            appendUnquoted(line, spaces, bytes.substr(0, text));
            in_.advance(text);
            if (end < bytes.size()) {
                return;
            }
            if (!in_.more()) {
                appendUnquoted(line, spaces, in_.window());
                in_.advance(in_.window().size());
                return;
            }
        }
    }

    // Spaces count only when something other than the field's end follows them.
    static void appendUnquoted(RowLine& line, std::uint64_t& spaces, std::string_view text) {
        const std::size_t trailing = trailingRun(text, ' ');
        if (trailing == text.size()) {
            spaces += trailing;
            return;
        }
        line.appendSpaces(spaces);
        line.append(text.substr(0, text.size() - trailing));
        spaces = trailing;
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
    LoadMap(fileName, mass, {});
}

bool LoadMap(const std::string& fileName, Grid& mass, const LoadProgress& progress) {
    if (fileName.empty()) {
        return true;
    }
    const Descriptor file = openForReading(fileName);
    try {
        Input in(file.get(), progress);
        MapReader(in).read(mass);
    } catch (const Error& error) {
        throw Error(error.code(), fileName);
    } catch (const Stopped&) {
        return false;
    }
    return true;
}

}  // namespace korrin::map
