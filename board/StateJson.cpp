#include "board/StateJson.h"

#include <sstream>

namespace veltra {

namespace {

template <typename Range, typename Fn> void list(std::ostringstream& o, const Range& r, Fn item) {
    o << '[';
    bool first = true;
    for (const auto& x : r) {
        if (!first) o << ',';
        first = false;
        item(x);
    }
    o << ']';
}

void led(std::ostringstream& o, const LedState& l) {
    o << '[' << int(l.colour) << ',' << int(l.brightness) << ']';
}

void store(std::ostringstream& o, const StoreSlot& s) {
    const auto bytes = [&](const auto& r) { list(o, r, [&](std::uint8_t v) { o << int(v); }); };
    switch (s.kind) {
    case StoreKind::Empty:
        o << R"({"kind":"empty"})";
        return;
    case StoreKind::Port:
        o << R"({"kind":"port","port":)" << int(s.index) << R"(,"value":)" << int(s.ports[0])
          << R"(,"brightness":)" << int(s.portBrightness[0]) << '}';
        return;
    case StoreKind::AllPorts:
        o << R"({"kind":"ports","values":)";
        bytes(s.ports);
        o << R"(,"brightness":)";
        bytes(s.portBrightness);
        o << '}';
        return;
    case StoreKind::Led:
        o << R"({"kind":"led","led":)" << int(s.index) << R"(,"value":)";
        led(o, s.leds[0]);
        o << '}';
        return;
    case StoreKind::AllLeds:
        o << R"({"kind":"leds","values":)";
        list(o, s.leds, [&](const LedState& l) { led(o, l); });
        o << '}';
        return;
    case StoreKind::VarA:
    case StoreKind::VarB:
        o << R"({"kind":")" << (s.kind == StoreKind::VarA ? 'A' : 'B') << R"(","value":)" << int(s.value)
          << '}';
        return;
    }
}

} // namespace

std::string stateJson(const BoardState& s, std::span<const std::uint16_t> program) {
    std::ostringstream o;
    const auto bytes = [&](const auto& r) { list(o, r, [&](auto v) { o << int(v); }); };
    o << R"({"leds":)";
    list(o, s.leds, [&](const LedState& l) { led(o, l); });
    o << R"(,"ports":)";
    bytes(s.ports);
    o << R"(,"portBrightness":)";
    bytes(s.portBrightness);
    o << R"(,"relays":)";
    bytes(s.relays);
    o << R"(,"buttons":)";
    bytes(s.buttons);
    o << R"(,"A":)" << int(s.a) << R"(,"B":)" << int(s.b);
    o << R"(,"stores":)";
    list(o, s.stores, [&](const StoreSlot& st) { store(o, st); });
    o << R"(,"pc":)" << s.pc << R"(,"word":)";
    if (s.pc < program.size())
        o << program[s.pc];
    else
        o << "null";
    o << R"(,"programSize":)" << s.programSize;
    o << R"(,"running":)" << (s.running ? "true" : "false");
    o << R"(,"paused":)" << (s.paused ? "true" : "false");
    o << R"(,"forwarded":{"count":)" << s.forwardedCount << R"(,"last":)" << s.lastForwarded << "}}";
    return o.str();
}

} // namespace veltra
