#include "board/ObjectCommands.h"

#include <algorithm>
#include <bit>

#include "board/Lamps.h"

namespace veltra {

namespace {

// The variables hold 0..255; as a colour or a brightness a value past the top
// of the range shows the top of the range.
std::uint8_t colourFromVar(std::uint8_t v) {
    return std::min(v, kMaxColour);
}
std::uint8_t brightnessFromVar(std::uint8_t v) {
    return std::min(v, kMaxBrightness);
}

void writeBit(BoardState& s, int port, std::uint8_t mask) {
    const std::uint8_t old = s.ports[port - 1];
    const std::uint8_t next = std::popcount(mask) == 1 ? old | mask : old & mask;
    writePort(s, port, next);
}

void setRelay(BoardState& s, std::uint8_t mask) {
    if (std::popcount(mask) == 1)
        s.relays[std::countr_zero(mask)] = true;
    else
        s.relays[std::countr_zero(static_cast<std::uint8_t>(~mask))] = false;
}

void writeAllPorts(BoardState& s, const std::array<std::uint8_t, kPortCount>& bytes) {
    std::array<std::uint8_t, kLampPortCount> lamp{};
    std::copy_n(bytes.begin(), kLampPortCount, lamp.begin());
    writeLampPorts(s, lamp);
    s.ports[kPortCount - 1] = bytes[kPortCount - 1];
}

void arithmetic(BoardState& s, std::uint8_t op, std::uint8_t x) {
    std::uint8_t& a = s.a;
    std::uint8_t& b = s.b;
    // Byte arithmetic wraps around: 255 + 1 is 0, 0 - 1 is 255.
    switch (op) {
    case 0x91:
        a = x;
        break;
    case 0x92:
        b = x;
        break;
    case 0x93:
        a = static_cast<std::uint8_t>(a + x);
        break;
    case 0x94:
        b = static_cast<std::uint8_t>(b + x);
        break;
    case 0x95:
        a = static_cast<std::uint8_t>(a - x);
        break;
    case 0x96:
        b = static_cast<std::uint8_t>(b - x);
        break;
    case 0x97:
        a = b;
        break;
    case 0x98:
        b = a;
        break;
    case 0x99:
        a = static_cast<std::uint8_t>(a + b);
        break;
    case 0x9A:
        a = static_cast<std::uint8_t>(a - b);
        break;
    case 0x9B:
        b = static_cast<std::uint8_t>(b + a);
        break;
    case 0x9C:
        b = static_cast<std::uint8_t>(b - a);
        break;
    case 0x9D:
        a = static_cast<std::uint8_t>(a << 1);
        break;
    case 0x9E:
        a = static_cast<std::uint8_t>(a >> 1);
        break;
    default:
        break;
    }
}

StoreSlot saveObject(const BoardState& s, std::uint8_t code) {
    StoreSlot slot;
    if (code >= 0x01 && code <= 0x05) {
        slot.kind = StoreKind::Port;
        slot.index = code;
        slot.ports[0] = s.ports[code - 1];
        slot.portBrightness[0] = s.portBrightness[code - 1];
    } else if (code == 0x09) {
        slot.kind = StoreKind::AllPorts;
        slot.ports = s.ports;
        slot.portBrightness = s.portBrightness;
    } else if (code == 0x0A || code == 0x0B) {
        slot.kind = code == 0x0A ? StoreKind::VarA : StoreKind::VarB;
        slot.value = code == 0x0A ? s.a : s.b;
    } else if (code == 0x40) {
        slot.kind = StoreKind::AllLeds;
        slot.leds = s.leds;
    } else {
        slot.kind = StoreKind::Led;
        slot.index = code - 0x40;
        slot.leds[0] = s.leds[code - 0x41];
    }
    return slot;
}

bool isByteSlot(const StoreSlot& slot) {
    return slot.kind == StoreKind::Port || slot.kind == StoreKind::VarA || slot.kind == StoreKind::VarB;
}
std::uint8_t byteOf(const StoreSlot& slot) {
    return slot.kind == StoreKind::Port ? slot.ports[0] : slot.value;
}

// A single saved object restores into one object of its shape or into all of
// them; a saved "all" restores into all, or gives one object its own entry.
bool restorePort(BoardState& s, int port, const StoreSlot& slot) {
    if (slot.kind == StoreKind::Port || slot.kind == StoreKind::AllPorts) {
        const int i = slot.kind == StoreKind::Port ? 0 : port - 1;
        setPortBrightness(s, port, slot.portBrightness[i]);
        writePort(s, port, slot.ports[i]);
        return true;
    }
    if (isByteSlot(slot)) {
        writePort(s, port, byteOf(slot));
        return true;
    }
    return false;
}

bool restoreAllPorts(BoardState& s, const StoreSlot& slot) {
    if (slot.kind == StoreKind::AllPorts) {
        for (int p = 1; p <= kLampPortCount; ++p)
            setPortBrightness(s, p, slot.portBrightness[p - 1]);
        writeAllPorts(s, slot.ports);
        return true;
    }
    if (!isByteSlot(slot)) return false;
    if (slot.kind == StoreKind::Port) {
        for (int p = 1; p <= kLampPortCount; ++p)
            setPortBrightness(s, p, slot.portBrightness[0]);
    }
    std::array<std::uint8_t, kPortCount> bytes{};
    bytes.fill(byteOf(slot));
    writeAllPorts(s, bytes);
    return true;
}

bool restoreVar(std::uint8_t& var, const StoreSlot& slot) {
    if (!isByteSlot(slot)) return false;
    var = byteOf(slot);
    return true;
}

bool restoreLed(BoardState& s, int led, const StoreSlot& slot) {
    if (slot.kind == StoreKind::Led) {
        setLed(s, led, slot.leds[0]);
        return true;
    }
    if (slot.kind == StoreKind::AllLeds) {
        setLed(s, led, slot.leds[led - 1]);
        return true;
    }
    return false;
}

bool restoreAllLeds(BoardState& s, const StoreSlot& slot) {
    if (slot.kind == StoreKind::Led) {
        setAllLeds(s, slot.leds[0]);
        return true;
    }
    if (slot.kind == StoreKind::AllLeds) {
        setLeds(s, slot.leds);
        return true;
    }
    return false;
}

bool restoreObject(BoardState& s, std::uint8_t code, const StoreSlot& slot) {
    if (code >= 0x01 && code <= 0x05) return restorePort(s, code, slot);
    if (code == 0x09) return restoreAllPorts(s, slot);
    if (code == 0x0A) return restoreVar(s.a, slot);
    if (code == 0x0B) return restoreVar(s.b, slot);
    if (code == 0x40) return restoreAllLeds(s, slot);
    return restoreLed(s, code - 0x40, slot);
}

void setLedWord(BoardState& s, int n, LedState value) {
    if (n == 14)
        setAllLeds(s, value);
    else
        setLed(s, n, value);
}

} // namespace

ObjectOutcome executeObjectWord(BoardState& s, std::uint16_t word) {
    const std::uint8_t op = word >> 8;
    const std::uint8_t arg = word & 0xFF;
    const std::uint8_t hi = arg >> 4;
    const std::uint8_t lo = arg & 0x0F;

    if ((op & 0xF0) == 0xA0) {
        setLedWord(s, op & 0x0F, {lo, hi});
        return ObjectOutcome::Done;
    }
    if ((op & 0xF0) == 0x90) {
        arithmetic(s, op, arg);
        return ObjectOutcome::Done;
    }
    switch (op) {
    case 0x11:
    case 0x12:
    case 0x13:
    case 0x14:
    case 0x15:
    case 0x16:
        writeBit(s, op - 0x10, arg);
        break;
    case 0x1A:
        setRelay(s, arg);
        break;
    case 0x21:
    case 0x22:
    case 0x23:
    case 0x24:
    case 0x25:
        writePort(s, op - 0x20, arg);
        break;
    case 0x2E: {
        std::array<std::uint8_t, kPortCount> bytes{};
        bytes.fill(arg);
        writeAllPorts(s, bytes);
        break;
    }
    case 0x31:
        setLed(s, lo, {colourFromVar(s.a), hi});
        break;
    case 0x32:
        setAllLeds(s, {colourFromVar(s.a), hi});
        break;
    case 0x33:
        setLed(s, arg, {colourFromVar(s.a), brightnessFromVar(s.b)});
        break;
    case 0x34:
        setAllLeds(s, {colourFromVar(s.a), brightnessFromVar(s.b)});
        break;
    case 0x45:
    case 0x46:
    case 0x47:
    case 0x48:
    case 0x49:
        setPortBrightness(s, op - 0x44, arg);
        break;
    case 0x4A:
        for (int p = 1; p <= kLampPortCount; ++p)
            setPortBrightness(s, p, arg);
        break;
    case 0x4D:
        writePort(s, arg, s.a);
        break;
    case 0x4E:
        writePort(s, arg, s.b);
        break;
    case 0xC1:
    case 0xC2:
        s.stores[op - 0xC1] = saveObject(s, arg);
        break;
    case 0xC8:
    case 0xC9:
        if (!restoreObject(s, arg, s.stores[op - 0xC8])) return ObjectOutcome::NothingToRestore;
        break;
    default:
        break;
    }
    return ObjectOutcome::Done;
}

} // namespace veltra
