// SPDX-License-Identifier: MIT
// Text made safe to print: controls and broken UTF-8 escaped.
#include "text.h"

namespace korrin::map {

namespace {

// The length of the well-formed UTF-8 sequence of a printable character at the start of
// `text`, or 0 for a control character or a byte that starts no such sequence.
std::size_t printableSequence(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return lead >= 0x20 && lead != 0x7f ? 1 : 0;
    }
    // The lead byte gives the length and the range of the second byte: no overlong forms, no
    // surrogates, nothing past U+10FFFF, and no C1 control (U+0080 .. U+009F).
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xbf;
    if (lead == 0xc2) {
        length = 2, low = 0xa0;
    } else if (lead > 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead == 0xe0) {
        length = 3, low = 0xa0;
    } else if (lead == 0xed) {
        length = 3, high = 0x9f;
    } else if (lead >= 0xe1 && lead <= 0xef) {
        length = 3;
    } else if (lead == 0xf0) {
        length = 4, low = 0x90;
    } else if (lead == 0xf4) {
        length = 4, high = 0x8f;
    } else if (lead >= 0xf1 && lead <= 0xf3) {
        length = 4;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xbf) {
            return 0;
        }
    }
    return length;
}

}  // namespace

std::string printable(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string shown;
    shown.reserve(text.size());
    while (!text.empty()) {
        std::size_t length = printableSequence(text);
        if (length > 0) {
            shown.append(text.substr(0, length));
        } else {
            const auto byte = static_cast<unsigned char>(text.front());
            shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xf]};
            length = 1;
        }
        text.remove_prefix(length);
    }
    return shown;
}

}  // namespace korrin::map
