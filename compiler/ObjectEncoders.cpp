// Encoders of the commands that set the board's outputs and stores: LEDs,
// ports, relays, brightness, the two stores, the module prefix and the
// console's EEPROM command.

#include <iterator>

#include "compiler/Encoders.h"

namespace veltra {
namespace {

using enc::fail;
using enc::inRange;
using enc::kNoPos;
using enc::skipBlanks;
using enc::succeed;
using enc::Switch;

struct ColourLetter {
    char32_t lower;
    char32_t upper;
};

// Index = colour code.
constexpr ColourLetter kColourLetters[] = {
    {U'ч', U'Ч'}, {U'к', U'К'}, {U'з', U'З'}, {U'с', U'С'}, {U'ж', U'Ж'},
    {U'г', U'Г'}, {U'п', U'П'}, {U'ф', U'Ф'}, {U'б', U'Б'},
};

int colourCode(char32_t c) {
    for (int code = 0; code < static_cast<int>(std::size(kColourLetters)); ++code) {
        if (c == kColourLetters[code].lower || c == kColourLetters[code].upper) return code;
    }
    return -1;
}

constexpr int kAllLeds = 14;

unsigned ledWord(int n, int brightness, int colour) {
    return 0xA000u + static_cast<unsigned>(n * 256 + brightness * 16 + colour);
}

// The value of "свд_n = ..." or "свд = ..." (n = 14), read from `pos`, the
// first character after the '=' and its blanks.
bool encodeLedValue(std::u32string_view line, std::size_t pos, int n, CmdRecord& rec) {
    const bool all = n == kAllLeds;
    switch (enc::onOffAt(line, pos)) {
    case Switch::On:
        return succeed(rec, ledWord(n, 15, 8));
    case Switch::Off:
        return succeed(rec, ledWord(n, 0, 0));
    case Switch::None:
        break;
    }
    if (const int store = enc::storeAt(line, pos)) {
        return succeed(rec, (store == 1 ? 0xC840u : 0xC940u) + (all ? 0u : static_cast<unsigned>(n)));
    }

    const char32_t letter = charAt(line, pos);
    const bool fromA = letter == U'А'; // colour taken from the variable А
    const int colour = fromA ? 0 : colourCode(letter);
    if (colour < 0) return fail(rec, CmdStatus::BadParameter);

    std::size_t p = skipBlanks(line, pos + 1, 2);
    if (charAt(line, p) != U',') {
        if (fromA) return fail(rec, CmdStatus::BadParameter);
        return succeed(rec, ledWord(n, colour == 0 ? 0 : 15, colour)); // black also darkens
    }
    p = skipBlanks(line, p + 1, 2);
    if (charAt(line, p) == U'В') { // colour from А, brightness from В, whatever the letter
        return succeed(rec, all ? 0x3400u : 0x3300u + static_cast<unsigned>(n));
    }
    const int brightness = parseNumber(line, p);
    if (!inRange(brightness, 0, 15)) return fail(rec, CmdStatus::BadParameter);
    if (fromA) {
        return succeed(rec, all ? 0x3200u + static_cast<unsigned>(brightness * 16)
                                : 0x3100u + static_cast<unsigned>(brightness * 16 + n));
    }
    return succeed(rec, ledWord(n, brightness, colour));
}

} // namespace

bool encodeLed(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    const int n = parseNumber(line, start + 4);
    if (!inRange(n, 1, 13)) return fail(rec, CmdStatus::BadParameter);
    // The '=' is looked for right after a number of one or two digits.
    std::size_t p = skipBlanks(line, start + (n <= 9 ? 5 : 6), 2);
    if (charAt(line, p) != U'=') return fail(rec, CmdStatus::BadCommand);
    return encodeLedValue(line, skipBlanks(line, p + 1, 2), n, rec);
}

bool encodeLedAll(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    std::size_t p = skipBlanks(line, start + 3, 2);
    if (charAt(line, p) != U'=') return fail(rec, CmdStatus::BadCommand);
    return encodeLedValue(line, skipBlanks(line, p + 1, 2), kAllLeds, rec);
}

bool encodePortAll(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    std::size_t p = enc::afterEquals(line, start + 4);
    if (p == kNoPos) return fail(rec, CmdStatus::BadCommand);
    p = skipBlanks(line, p, 1);
    switch (enc::onOffAt(line, p)) {
    case Switch::On:
        return succeed(rec, 0x2EFF);
    case Switch::Off:
        return succeed(rec, 0x2E00);
    case Switch::None:
        break;
    }
    if (const int store = enc::storeAt(line, p)) return succeed(rec, store == 1 ? 0xC809 : 0xC909);
    return fail(rec, CmdStatus::BadParameter);
}

bool encodePortBit(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    const int n = digitValue(charAt(line, start + 5));
    const int bit = digitValue(charAt(line, start + 7));
    if (!inRange(n, 1, 6) || charAt(line, start + 6) != U'.' || !inRange(bit, 1, 8)) {
        return fail(rec, CmdStatus::BadCommand);
    }
    std::size_t p = enc::afterEquals(line, start + 8);
    if (p == kNoPos) return fail(rec, CmdStatus::BadCommand);
    p = skipBlanks(line, p, 1);
    const Switch state = enc::onOffAt(line, p);
    const bool on = state == Switch::On || charAt(line, p) == U'1';
    const bool off = state == Switch::Off || charAt(line, p) == U'0';
    if (!on && !off) return fail(rec, CmdStatus::BadParameter);
    const unsigned mask = 1u << (bit - 1);
    return succeed(rec, 0x1000u + static_cast<unsigned>(n) * 256 + (on ? mask : (~mask & 0xFFu)));
}

bool encodePort(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    const int n = digitValue(charAt(line, start + 5));
    if (!inRange(n, 1, 5) || charAt(line, start + 6) == U'.') return fail(rec, CmdStatus::BadCommand);
    std::size_t p = enc::afterEquals(line, start + 6);
    if (p == kNoPos) return fail(rec, CmdStatus::BadCommand);
    p = skipBlanks(line, p, 1);

    const unsigned port = static_cast<unsigned>(n) * 256;
    switch (enc::onOffAt(line, p)) {
    case Switch::On:
        return succeed(rec, 0x20FFu + port);
    case Switch::Off:
        return succeed(rec, 0x2000u + port);
    case Switch::None:
        break;
    }
    if (charAt(line, p) == U'А') return succeed(rec, 0x4D00u + static_cast<unsigned>(n));
    if (charAt(line, p) == U'В') return succeed(rec, 0x4E00u + static_cast<unsigned>(n));
    if (const int store = enc::storeAt(line, p)) {
        return succeed(rec, (store == 1 ? 0xC800u : 0xC900u) + static_cast<unsigned>(n));
    }

    // Eight bits, first written first: "10000000" is bit 0 alone.
    p = skipBlanks(line, p, 2);
    unsigned byte = 0;
    std::size_t length = 0;
    for (char32_t c = charAt(line, p); c == U'0' || c == U'1'; c = charAt(line, p + length)) {
        if (c == U'1' && length < 8) byte |= 1u << length;
        ++length;
    }
    if (length != 8) return fail(rec, CmdStatus::BadParameter);
    return succeed(rec, 0x2000u + port + byte);
}

bool encodeRelay(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    const char32_t digit = charAt(line, start + 5);
    const unsigned mask = digit == U'1' ? 1u : digit == U'2' ? 2u : 0u;
    if (mask == 0) return fail(rec, CmdStatus::BadParameter);
    std::size_t p = enc::afterEquals(line, start + 6);
    if (p == kNoPos) return fail(rec, CmdStatus::BadCommand);
    p = skipBlanks(line, p, 1);
    switch (enc::onOffAt(line, p)) {
    case Switch::On:
        return succeed(rec, 0x1A00u + mask);
    case Switch::Off:
        return succeed(rec, 0x1A00u + (~mask & 0xFFu));
    case Switch::None:
        break;
    }
    return fail(rec, CmdStatus::BadCommand);
}

bool encodeBrightness(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    const int n = digitValue(charAt(line, start + 4));
    if (!inRange(n, 1, 5) || charAt(line, start + 5) == U'.') return fail(rec, CmdStatus::BadCommand);
    std::size_t p = enc::afterEquals(line, start + 5);
    if (p == kNoPos) return fail(rec, CmdStatus::BadCommand);
    const int value = parseNumber(line, skipBlanks(line, p, 1));
    if (!inRange(value, 0, 15)) return fail(rec, CmdStatus::BadParameter);
    return succeed(rec, 0x4400u + static_cast<unsigned>(n * 256 + value));
}

bool encodeBrightnessAll(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    std::size_t p = enc::afterEquals(line, start + 3);
    if (p == kNoPos) return fail(rec, CmdStatus::BadCommand);
    const int value = parseNumber(line, skipBlanks(line, p, 2));
    if (!inRange(value, 0, 15)) return fail(rec, CmdStatus::BadParameter);
    return succeed(rec, 0x4A00u + static_cast<unsigned>(value));
}

bool encodeStore(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    const char32_t digit = charAt(line, start + 5);
    const unsigned store = digit == U'1' ? 1u : digit == U'2' ? 2u : 0u;
    if (store == 0 || charAt(line, start + 6) == U'.') return fail(rec, CmdStatus::BadCommand);
    std::size_t p = enc::afterEquals(line, start + 6);
    if (p == kNoPos) return fail(rec, CmdStatus::BadCommand);
    p = skipBlanks(line, p, 1);

    // Object numbers start at 1: code 0x00 names no object, and 0x40 would
    // silently mean all LEDs.
    unsigned code = 0;
    if (matchesAt(line, p, U"порт_")) {
        const int d = parseNumber(line, p + 5);
        if (!inRange(d, 1, 3)) return fail(rec, CmdStatus::BadParameter);
        code = static_cast<unsigned>(d);
    } else if (matchesAt(line, p, U"порт")) {
        code = 0x09;
    } else if (matchesAt(line, p, U"свд_")) {
        const int d = parseNumber(line, p + 4);
        if (!inRange(d, 1, 8)) return fail(rec, CmdStatus::BadParameter);
        code = 0x40u + static_cast<unsigned>(d);
    } else if (matchesAt(line, p, U"свд")) {
        code = 0x40;
    } else if (charAt(line, p) == U'А') {
        code = 0x0A;
    } else if (charAt(line, p) == U'В') {
        code = 0x0B;
    } else {
        return fail(rec, CmdStatus::BadParameter);
    }
    return succeed(rec, 0xC000u + store * 256 + code);
}

bool encodeExternal(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    std::size_t p = start + 2;
    for (int blanks = 0; charAt(line, p) == U' '; ++p) {
        if (++blanks == 8) return fail(rec, CmdStatus::BadCommand);
    }
    rec.rest = p;
    return succeed(rec, 0xD100);
}

bool encodeEeprom(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    std::size_t p = enc::afterEquals(line, start + 4);
    if (p == kNoPos) return fail(rec, CmdStatus::BadCommand);
    p = skipBlanks(line, p, 1);
    unsigned word = 0;
    if (matchesAt(line, p, U"записать")) {
        word = 0x30;
    } else if (matchesAt(line, p, U"стереть")) {
        word = 0x31;
    } else {
        return fail(rec, CmdStatus::BadCommand);
    }
    rec.kind = CmdKind::Service;
    return succeed(rec, word);
}

} // namespace veltra
