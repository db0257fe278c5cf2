// Words as messages show them: whatever bytes a user typed, shown so that they can neither
// break a line nor command a terminal.
#include "app/shown_word.h"

#include <algorithm>
#include <cstdio>

namespace {

// The length in bytes of the UTF-8 character that starts at word[i], or 0 if none does:
// overlong forms, surrogates and code points above U+10FFFF are no characters.
std::size_t characterLength(const std::string& word, std::size_t i) {
    const auto byte = [&](std::size_t k) {
        return k < word.size() ? static_cast<unsigned>(static_cast<unsigned char>(word[k])) : 0U;
    };
    const unsigned lead = byte(i);
    if (lead < 0x80) {
        return 1;
    }
    if (lead < 0xc2 || lead > 0xf4) {
        return 0;
    }
    const std::size_t length = lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
    // The second byte's range shuts out what the lead byte alone cannot.
    const unsigned low = lead == 0xe0 ? 0xa0 : lead == 0xf0 ? 0x90 : 0x80;
    const unsigned high = lead == 0xed ? 0x9f : lead == 0xf4 ? 0x8f : 0xbf;
    if (byte(i + 1) < low || byte(i + 1) > high) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if ((byte(i + k) & 0xc0) != 0x80) {
            return 0;
        }
    }
    return length;
}

// Whether the character of these bytes can change what a terminal shows around it: a C0
// or C1 control, or a bidirectional embedding, override or isolate (U+202A to U+202E,
// U+2066 to U+2069), which reorders the text after it.
bool isControl(const std::string& word, std::size_t i, std::size_t length) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(word[i + k]); };
    switch (length) {
    case 1:
        return byte(0) < 0x20 || byte(0) == 0x7f;
    case 2:
        return byte(0) == 0xc2 && byte(1) < 0xa0;
    case 3:
        return byte(0) == 0xe2 && ((byte(1) == 0x80 && byte(2) >= 0xaa && byte(2) <= 0xae) ||
                                   (byte(1) == 0x81 && byte(2) >= 0xa6 && byte(2) <= 0xa9));
    default:
        return false;
    }
}

} // namespace

// Control characters, and bytes that are no UTF-8 character, are shown as escapes (\n,
// \x1b), so that a word can neither break the line nor command the terminal; a C1 control
// or a bidirectional control, which terminals obey, as the escapes of its bytes. Cut after
// 60 characters.
std::string shownWord(const std::string& word) {
    constexpr std::size_t LONGEST = 60;
    std::string shown;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < word.size(); ++characters) {
        if (characters == LONGEST) {
            return shown + "\u2026";
        }
        const auto c = static_cast<unsigned char>(word[i]);
        std::size_t length = characterLength(word, i);
        if (length > 0 && !isControl(word, i, length)) {
            shown.append(word, i, length);
        } else if (c == '\n' || c == '\t') {
            shown += c == '\n' ? "\\n" : "\\t";
        } else {
            length = std::max<std::size_t>(length, 1);
            for (std::size_t k = i; k < i + length; ++k) {
                char escape[5];
                std::snprintf(escape, sizeof escape, "\\x%02x",
                              static_cast<unsigned char>(word[k]));
                shown += escape;
            }
        }
        i += length;
    }
    return shown;
}
