#include "board/WordText.h"

#include <bit>

#include "board/CommandWords.h"

namespace veltra {

namespace {

using std::to_string;

const char* const kColourLetters[] = {"ч", "к", "з", "с", "ж", "г", "п", "ф", "б"};

// Port bits in the order the language writes them: bit 0 first.
std::string bitText(std::uint8_t byte) {
    std::string s;
    for (int i = 0; i < 8; ++i)
        s += (byte >> i) & 1 ? '1' : '0';
    return s;
}

std::string onOff(bool on) {
    return on ? "вкл" : "выкл";
}

std::string repeat(char c, int n) {
    return std::string(static_cast<std::size_t>(n), c);
}

std::string storeObject(std::uint8_t code) {
    if (code >= 0x01 && code <= 0x05) return "порт_" + to_string(code);
    if (code == 0x09) return "порт";
    if (code == 0x0A) return "А";
    if (code == 0x0B) return "В";
    if (code == 0x40) return "свд";
    return "свд_" + to_string(code - 0x40);
}

std::string led(int n) {
    return n == 14 ? "свд" : "свд_" + to_string(n);
}

std::string pause(std::uint8_t op, int x) {
    if (op == 0x42) return x == 1 ? "пауза" : "пауза=" + to_string(x);
    const char mark = op == 0x41 ? '+' : '*';
    if (x >= 1 && x <= 5) return "пауза" + repeat(mark, x);
    return "пауза " + to_string(x * (op == 0x41 ? 100 : 20)) + " мс";
}

std::string condition(std::uint8_t op, int x) {
    switch (op) {
    case 0x63:
        return "если кн_" + to_string(std::countr_zero(unsigned(x)) + 1) + "==вкл";
    case 0x53:
        return "если кн_" + to_string(std::countr_zero(unsigned(x)) + 1) + "==выкл";
    case 0x54:
        return "если А==0";
    case 0x55:
        return "если В==0";
    case 0x5B:
        return "если А==" + to_string(x);
    case 0x5C:
        return "если В==" + to_string(x);
    case 0x84:
        return "если А>" + to_string(x);
    case 0x85:
        return "если В>" + to_string(x);
    case 0x74:
        return "если А<" + to_string(x);
    default:
        return "если В<" + to_string(x);
    }
}

std::string arithmetic(std::uint8_t op, int x) {
    switch (op) {
    case 0x91:
        return "А=" + to_string(x);
    case 0x92:
        return "В=" + to_string(x);
    case 0x93:
        return "А=А+" + to_string(x);
    case 0x94:
        return "В=В+" + to_string(x);
    case 0x95:
        return "А=А-" + to_string(x);
    case 0x96:
        return "В=В-" + to_string(x);
    case 0x97:
        return "А=В";
    case 0x98:
        return "В=А";
    case 0x99:
        return "А=А+В";
    case 0x9A:
        return "А=А-В";
    case 0x9B:
        return "В=В+А";
    case 0x9C:
        return "В=В-А";
    case 0x9D:
        return "А=А<<1";
    default:
        return "А=А>>1";
    }
}

std::string object(std::uint8_t op, std::uint8_t x) {
    const int hi = x >> 4, lo = x & 0x0F;
    if ((op & 0xF0) == 0xA0) return led(op & 0x0F) + " = " + kColourLetters[lo] + "," + to_string(hi);
    if ((op & 0xF0) == 0x90) return arithmetic(op, x);
    if (op >= 0x11 && op <= 0x16) {
        const bool on = std::popcount(x) == 1;
        const int bit = std::countr_zero(unsigned(on ? x : static_cast<std::uint8_t>(~x))) + 1;
        return "порт_" + to_string(op - 0x10) + "." + to_string(bit) + " = " + onOff(on);
    }
    if (op == 0x1A) {
        const bool on = std::popcount(x) == 1;
        return "реле_" + to_string(std::countr_zero(unsigned(on ? x : static_cast<std::uint8_t>(~x))) + 1) +
               " = " + onOff(on);
    }
    if (op >= 0x21 && op <= 0x25) return "порт_" + to_string(op - 0x20) + " = " + bitText(x);
    if (op == 0x2E) return x == 0xFF || x == 0 ? "порт = " + onOff(x == 0xFF) : "порт = " + bitText(x);
    if (op == 0x31) return led(lo) + " = А," + to_string(hi);
    if (op == 0x32) return "свд = А," + to_string(hi);
    if (op == 0x33) return led(x) + " = А,В";
    if (op == 0x34) return "свд = А,В";
    if (op >= 0x45 && op <= 0x49) return "ярк_" + to_string(op - 0x44) + " = " + to_string(x);
    if (op == 0x4A) return "ярк = " + to_string(x);
    if (op == 0x4D) return "порт_" + to_string(x) + " = А";
    if (op == 0x4E) return "порт_" + to_string(x) + " = В";
    if (op == 0xC1 || op == 0xC2) return "сохр_" + to_string(op - 0xC0) + " = " + storeObject(x);
    return storeObject(x) + " = сохр_" + to_string(op - 0xC7);
}

} // namespace

std::string describeWord(std::uint16_t word) {
    const std::uint8_t op = word >> 8;
    const std::uint8_t x = word & 0xFF;
    switch (classifyWord(word)) {
    case WordKind::Object:
        return object(op, x);
    case WordKind::Pause:
        return pause(op, x);
    case WordKind::Condition:
        return condition(op, x);
    case WordKind::Return:
        return "возврат";
    case WordKind::Prefix:
        return "вм";
    case WordKind::Jump:
        return "переход [" + to_string(word & kJumpTargetMask) + "]";
    case WordKind::Invalid:
        break;
    }
    return "?";
}

} // namespace veltra
