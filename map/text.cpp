// SPDX-License-Identifier: MIT
// Text made safe to print: controls and broken UTF-8 escaped.
#include "text.h"

namespace korrin::map {

namespace {

// What a lead byte from `first` to `last` starts: a sequence of `length` bytes whose second
// lies in low .. high. Between them: no overlong forms, no surrogates, nothing past U+10FFFF,
// and no C1 control (U+0080 .. U+009F); any other lead byte starts nothing.
struct LeadByte {
    unsigned char first, last;
    std::size_t length;
    unsigned char low, high;
};
constexpr LeadByte kLeadBytes[] = {
    {0xc2, 0xc2, 2, 0xa0, 0xbf}, {0xc3, 0xdf, 2, 0x80, 0xbf}, {0xe0, 0xe0, 3, 0xa0, 0xbf},
    {0xe1, 0xec, 3, 0x80, 0xbf}, {0xed, 0xed, 3, 0x80, 0x9f}, {0xee, 0xef, 3, 0x80, 0xbf},
    {0xf0, 0xf0, 4, 0x90, 0xbf}, {0xf1, 0xf3, 4, 0x80, 0xbf}, {0xf4, 0xf4, 4, 0x80, 0x8f},
};

// The length of the well-formed UTF-8 sequence of a printable character at the start of
// `text`, or 0 for a control character or a byte that starts no such sequence.
std::size_t printableSequence(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return lead >= 0x20 && lead != 0x7f ? 1 : 0;
    }
    const LeadByte* found = nullptr;
    for (const LeadByte& range : kLeadBytes) {
        found = lead >= range.first && lead <= range.last ? &range : found;
    }
    if (found == nullptr) {
        return 0;
    }
    const std::size_t length = found->length;
    if (text.size() < length || byte(1) < found->low || byte(1) > found->high) {
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
