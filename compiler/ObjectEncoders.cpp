// Encoders of the commands that set the board's outputs and stores: LEDs,
// ports, relays, brightness, the two stores, the module prefix and the
// console's EEPROM command.

#include <iterator>

#include "compiler/Encoders.h"
#include "compiler/InstructionSet.h"

namespace veltra {
namespace {

using enc::fail;
using enc::inRange;
using enc::kNoPos;
using enc::skipBlanks;
using enc::succeed;
using enc::Switch;
using isa::Family;
using isa::word;

using lang::kColourLetters;

int colourCode(char32_t c) {
    for (int code = 0; code < static_cast<int>(std::size(kColourLetters)); ++code) {
        if (c == kColourLetters[code].lower || c == kColourLetters[code].upper) return code;
    }
    return -1;
}

constexpr int kAllLeds = static_cast<int>(isa::kAllLedsObject);

unsigned ledWord(int n, int brightness, int colour) {
    return word(Family::LedSet, static_cast<unsigned>(n), static_cast<unsigned>(brightness * 16 + colour));
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
        return succeed(rec, word(Family::Restore, static_cast<unsigned>(store), isa::kStoreAllLeds) +
                                (all ? 0u : static_cast<unsigned>(n)));
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
        return succeed(rec, all ? word(Family::AllLedsFromAB)
                                : word(Family::LedFromAB, 0, static_cast<unsigned>(n)));
    }
    const int brightness = parseNumber(line, p);
    if (!inRange(brightness, 0, 15)) return fail(rec, CmdStatus::BadParameter);
    if (fromA) {
        return succeed(rec, all ? word(Family::AllLedsFromA, 0, static_cast<unsigned>(brightness * 16))
                                : word(Family::LedFromA, 0, static_cast<unsigned>(brightness * 16 + n)));
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
        return succeed(rec, word(Family::AllPortsWrite, 0, isa::kAllBits));
    case Switch::Off:
        return succeed(rec, word(Family::AllPortsWrite));
    case Switch::None:
        break;
    }
    if (const int store = enc::storeAt(line, p))
        return succeed(rec, word(Family::Restore, static_cast<unsigned>(store), isa::kStoreAllPorts));
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
    return succeed(rec, word(Family::PortBit, static_cast<unsigned>(n), on ? mask : (~mask & 0xFFu)));
}

bool encodePort(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    const int n = digitValue(charAt(line, start + 5));
    if (!inRange(n, 1, 5) || charAt(line, start + 6) == U'.') return fail(rec, CmdStatus::BadCommand);
    std::size_t p = enc::afterEquals(line, start + 6);
    if (p == kNoPos) return fail(rec, CmdStatus::BadCommand);
    p = skipBlanks(line, p, 1);

    const unsigned port = static_cast<unsigned>(n);
    switch (enc::onOffAt(line, p)) {
    case Switch::On:
        return succeed(rec, word(Family::PortWrite, port, isa::kAllBits));
    case Switch::Off:
        return succeed(rec, word(Family::PortWrite, port));
    case Switch::None:
        break;
    }
    if (charAt(line, p) == U'А') return succeed(rec, word(Family::PortFromA, 0, port));
    if (charAt(line, p) == U'В') return succeed(rec, word(Family::PortFromB, 0, port));
    if (const int store = enc::storeAt(line, p)) {
        return succeed(rec, word(Family::Restore, static_cast<unsigned>(store), port));
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
    return succeed(rec, word(Family::PortWrite, port, byte));
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
        return succeed(rec, word(Family::Relay, 0, mask));
    case Switch::Off:
        return succeed(rec, word(Family::Relay, 0, ~mask & 0xFFu));
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
    return succeed(rec, word(Family::PortBrightness, static_cast<unsigned>(n), static_cast<unsigned>(value)));
}

bool encodeBrightnessAll(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    std::size_t p = enc::afterEquals(line, start + 3);
    if (p == kNoPos) return fail(rec, CmdStatus::BadCommand);
    const int value = parseNumber(line, skipBlanks(line, p, 2));
    if (!inRange(value, 0, 15)) return fail(rec, CmdStatus::BadParameter);
    return succeed(rec, word(Family::AllBrightness, 0, static_cast<unsigned>(value)));
}

bool encodeStore(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    const char32_t digit = charAt(line, start + 5);
    const unsigned store = digit == U'1' ? 1u : digit == U'2' ? 2u : 0u;
    if (store == 0 || charAt(line, start + 6) == U'.') return fail(rec, CmdStatus::BadCommand);
    std::size_t p = enc::afterEquals(line, start + 6);
    if (p == kNoPos) return fail(rec, CmdStatus::BadCommand);
    p = skipBlanks(line, p, 1);

    // Object numbers start at 1: code 0 names no object, and LED 0 would
    // silently mean all LEDs.
    unsigned code = 0;
    if (matchesAt(line, p, U"порт_")) {
        const int d = parseNumber(line, p + 5);
        if (!inRange(d, 1, 3)) return fail(rec, CmdStatus::BadParameter);
        code = static_cast<unsigned>(d);
    } else if (matchesAt(line, p, U"порт")) {
        code = isa::kStoreAllPorts;
    } else if (matchesAt(line, p, U"свд_")) {
        const int d = parseNumber(line, p + 4);
        if (!inRange(d, 1, 8)) return fail(rec, CmdStatus::BadParameter);
        code = isa::kStoreAllLeds + static_cast<unsigned>(d);
    } else if (matchesAt(line, p, U"свд")) {
        code = isa::kStoreAllLeds;
    } else if (charAt(line, p) == U'А') {
        code = isa::kStoreVarA;
    } else if (charAt(line, p) == U'В') {
        code = isa::kStoreVarB;
    } else {
        return fail(rec, CmdStatus::BadParameter);
    }
    return succeed(rec, word(Family::Save, store, code));
}

bool encodeExternal(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    std::size_t p = start + 2;
    for (int blanks = 0; charAt(line, p) == U' '; ++p) {
        if (++blanks == 8) return fail(rec, CmdStatus::BadCommand);
    }
    rec.rest = p;
    return succeed(rec, word(Family::ModulePrefix));
}

bool encodeEeprom(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    std::size_t p = enc::afterEquals(line, start + 4);
    if (p == kNoPos) return fail(rec, CmdStatus::BadCommand);
    p = skipBlanks(line, p, 1);
    unsigned request = 0;
    if (matchesAt(line, p, lang::kMemoryWriteWord)) {
        request = isa::kMemoryWriteRequest;
    } else if (matchesAt(line, p, lang::kMemoryEraseWord)) {
        request = isa::kMemoryEraseRequest;
    } else {
        return fail(rec, CmdStatus::BadCommand);
    }
    rec.kind = CmdKind::Service;
    return succeed(rec, word(Family::MemoryService, 0, request));
}

} // namespace veltra
