#include "board/Stores.h"

#include "board/Lamps.h"
#include "compiler/InstructionSet.h"

namespace veltra {

namespace {

bool isPort(std::uint8_t object) {
    return object >= 1 && object <= kLampPortCount;
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

} // namespace

StoreSlot saveObject(const BoardState& s, std::uint8_t object) {
    StoreSlot slot;
    if (isPort(object)) {
        slot.kind = StoreKind::Port;
        slot.index = object;
        slot.ports[0] = s.ports[object - 1];
        slot.portBrightness[0] = s.portBrightness[object - 1];
    } else if (object == isa::kStoreAllPorts) {
        slot.kind = StoreKind::AllPorts;
        slot.ports = s.ports;
        slot.portBrightness = s.portBrightness;
    } else if (object == isa::kStoreVarA || object == isa::kStoreVarB) {
        slot.kind = object == isa::kStoreVarA ? StoreKind::VarA : StoreKind::VarB;
        slot.value = object == isa::kStoreVarA ? s.a : s.b;
    } else if (object == isa::kStoreAllLeds) {
        slot.kind = StoreKind::AllLeds;
        slot.leds = s.leds;
    } else {
        slot.kind = StoreKind::Led;
        slot.index = static_cast<std::uint8_t>(object - isa::kStoreAllLeds);
        slot.leds[0] = s.leds[object - isa::kStoreAllLeds - 1];
    }
    return slot;
}

bool restoreObject(BoardState& s, std::uint8_t object, const StoreSlot& slot) {
    if (isPort(object)) return restorePort(s, object, slot);
    if (object == isa::kStoreAllPorts) return restoreAllPorts(s, slot);
    if (object == isa::kStoreVarA) return restoreVar(s.a, slot);
    if (object == isa::kStoreVarB) return restoreVar(s.b, slot);
    if (object == isa::kStoreAllLeds) return restoreAllLeds(s, slot);
    return restoreLed(s, object - static_cast<int>(isa::kStoreAllLeds), slot);
}

} // namespace veltra
