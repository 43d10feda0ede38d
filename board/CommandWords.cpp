#include "board/CommandWords.h"

#include <bit>
#include <vector>

namespace veltra {

namespace {

bool isStoreObject(std::uint8_t code) {
    return (code >= 0x01 && code <= 0x05) || code == 0x09 || code == 0x0A || code == 0x0B ||
           (code >= 0x40 && code <= 0x40 + kLedCount);
}

// A bit word either sets one bit (one bit of the mask set) or clears one (one bit clear).
bool isSingleBitMask(std::uint8_t mask) {
    const int ones = std::popcount(mask);
    return ones == 1 || ones == 7;
}

bool isButtonMask(std::uint8_t mask) {
    return mask == 1 || mask == 2 || mask == 4;
}

bool isLedNumber(int n) {
    return n >= 1 && n <= kLedCount;
}

} // namespace

WordKind classifyWord(std::uint16_t word) {
    const std::uint8_t op = word >> 8;
    const std::uint8_t arg = word & 0xFF;
    const auto objectIf = [](bool ok) { return ok ? WordKind::Object : WordKind::Invalid; };
    switch (op) {
    case 0x11:
    case 0x12:
    case 0x13:
    case 0x14:
    case 0x15:
    case 0x16:
        return objectIf(isSingleBitMask(arg));
    case 0x1A:
        return objectIf(arg == 0x01 || arg == 0x02 || arg == 0xFE || arg == 0xFD);
    case 0x21:
    case 0x22:
    case 0x23:
    case 0x24:
    case 0x25:
    case 0x2E:
        return WordKind::Object;
    case 0x31:
        return objectIf(isLedNumber(arg & 0x0F));
    case 0x32:
        return objectIf((arg & 0x0F) == 0);
    case 0x33:
        return objectIf(isLedNumber(arg));
    case 0x34:
        return objectIf(arg == 0);
    case 0x41:
    case 0x42:
    case 0x43:
        return WordKind::Pause;
    case 0x45:
    case 0x46:
    case 0x47:
    case 0x48:
    case 0x49:
    case 0x4A:
        return objectIf(arg <= kMaxBrightness);
    case 0x4D:
    case 0x4E:
        return objectIf(arg >= 1 && arg <= kLampPortCount);
    case 0x53:
    case 0x63:
        return isButtonMask(arg) ? WordKind::Condition : WordKind::Invalid;
    case 0x54:
    case 0x55:
        return arg == 0 ? WordKind::Condition : WordKind::Invalid;
    case 0x5B:
    case 0x5C:
    case 0x74:
    case 0x75:
    case 0x84:
    case 0x85:
        return WordKind::Condition;
    case 0x91:
    case 0x92:
    case 0x93:
    case 0x94:
    case 0x95:
    case 0x96:
        return WordKind::Object;
    case 0x97:
    case 0x98:
    case 0x99:
    case 0x9A:
    case 0x9B:
    case 0x9C:
    case 0x9D:
    case 0x9E:
        return objectIf(arg == 0);
    case 0xC1:
    case 0xC2:
    case 0xC8:
    case 0xC9:
        return objectIf(isStoreObject(arg));
    case 0xB1:
        return arg == 0 ? WordKind::Return : WordKind::Invalid;
    case 0xD1:
        return arg == 0 ? WordKind::Prefix : WordKind::Invalid;
    default:
        break;
    }
    if ((word & 0xF000) == 0xA000) {
        const int n = (word >> 8) & 0x0F;
        return objectIf((isLedNumber(n) || n == 14) && (arg & 0x0F) <= kMaxColour);
    }
    if ((word & 0xF000) == 0xE000) return (word & 0x0800) == 0 ? WordKind::Jump : WordKind::Invalid;
    return WordKind::Invalid;
}

BoardTime pauseLength(std::uint16_t word) {
    const int x = word & 0xFF;
    switch (word >> 8) {
    case 0x41:
        return BoardTime(x * 100);
    case 0x42:
        return BoardTime(x * 1000);
    case 0x43:
        return BoardTime(x * 20);
    default:
        return BoardTime(0);
    }
}

bool conditionHolds(const BoardState& s, std::uint16_t word) {
    const std::uint8_t x = word & 0xFF;
    const auto pressed = [&](std::uint8_t mask) {
        return isButtonMask(mask) && s.buttons[std::countr_zero(mask)];
    };
    switch (word >> 8) {
    case 0x63:
        return pressed(x);
    case 0x53:
        return !pressed(x);
    case 0x54:
        return s.a == 0;
    case 0x55:
        return s.b == 0;
    case 0x5B:
        return s.a == x;
    case 0x5C:
        return s.b == x;
    case 0x84:
        return s.a > x;
    case 0x85:
        return s.b > x;
    case 0x74:
        return s.a < x;
    case 0x75:
        return s.b < x;
    default:
        return false;
    }
}

int firstUnrunnableWord(std::span<const std::uint16_t> words) {
    const std::size_t size = words.size();
    // Which words a prefix hands on; a forwarded 0xD100 is not a prefix itself.
    std::vector<bool> forwarded(size + 1, false);
    for (std::size_t i = 0; i < size; ++i) {
        if (forwarded[i]) continue;
        if (words[i] == kModulePrefixWord) {
            if (i + 1 >= size) return static_cast<int>(i);
            forwarded[i + 1] = true;
        }
    }
    for (std::size_t i = 0; i < size; ++i) {
        if (forwarded[i]) continue;
        const std::uint16_t w = words[i];
        const WordKind kind = classifyWord(w);
        if (kind == WordKind::Invalid) return static_cast<int>(i);
        if (kind == WordKind::Jump) {
            const std::size_t target = w & kJumpTargetMask;
            if (target > size || forwarded[target]) return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace veltra
