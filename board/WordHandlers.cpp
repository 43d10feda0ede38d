#include "board/WordHandlers.h"

#include <algorithm>
#include <array>
#include <bit>

#include "board/Lamps.h"
#include "board/Stores.h"

namespace veltra {

namespace {

using isa::Family;
using S = BoardState;
using W = const isa::Decoded&;

// The variables hold 0..255; as a colour or a brightness a value past the top
// of the range shows the top of the range.
std::uint8_t colourFromVar(std::uint8_t v) {
    return std::min(v, kMaxColour);
}
std::uint8_t brightnessFromVar(std::uint8_t v) {
    return std::min(v, kMaxBrightness);
}

void writeBit(S& s, int port, std::uint8_t mask) {
    const std::uint8_t old = s.ports[port - 1];
    const std::uint8_t next = std::popcount(mask) == 1 ? old | mask : old & mask;
    writePort(s, port, next);
}

void setRelay(S& s, std::uint8_t mask) {
    if (std::popcount(mask) == 1)
        s.relays[std::countr_zero(mask)] = true;
    else
        s.relays[std::countr_zero(static_cast<std::uint8_t>(~mask))] = false;
}

void writeAllPorts(S& s, std::uint8_t byte) {
    std::array<std::uint8_t, kPortCount> bytes{};
    bytes.fill(byte);
    writeAllPorts(s, bytes);
}

void setAllPortBrightness(S& s, std::uint8_t brightness) {
    for (int p = 1; p <= kLampPortCount; ++p)
        setPortBrightness(s, p, brightness);
}

void setLedOrAll(S& s, int n, LedState value) {
    if (n == static_cast<int>(isa::kAllLedsObject))
        setAllLeds(s, value);
    else
        setLed(s, n, value);
}

LedState fromVars(const S& s) {
    return {colourFromVar(s.a), brightnessFromVar(s.b)};
}

bool pressed(const S& s, std::uint8_t mask) {
    return s.buttons[std::countr_zero(mask)];
}

// Byte arithmetic wraps around: 255 + 1 is 0, 0 - 1 is 255.
std::uint8_t wrap(int value) {
    return static_cast<std::uint8_t>(value);
}

constexpr ObjectOutcome kDone = ObjectOutcome::Done;

struct Handler {
    Family family;
    ObjectOutcome (*act)(S&, W) = nullptr; // Object families
    bool (*holds)(const S&, W) = nullptr;  // Condition families
};

// clang-format off
constexpr Handler kHandlers[] = {
    {Family::PortBit,        [](S& s, W w) { writeBit(s, w.object, w.operand); return kDone; }},
    {Family::Relay,          [](S& s, W w) { setRelay(s, w.operand); return kDone; }},
    {Family::PortWrite,      [](S& s, W w) { writePort(s, w.object, w.operand); return kDone; }},
    {Family::AllPortsWrite,  [](S& s, W w) { writeAllPorts(s, w.operand); return kDone; }},
    {Family::LedFromA,       [](S& s, W w) { setLed(s, w.low(), {colourFromVar(s.a), w.high()}); return kDone; }},
    {Family::AllLedsFromA,   [](S& s, W w) { setAllLeds(s, {colourFromVar(s.a), w.high()}); return kDone; }},
    {Family::LedFromAB,      [](S& s, W w) { setLed(s, w.operand, fromVars(s)); return kDone; }},
    {Family::AllLedsFromAB,  [](S& s, W) { setAllLeds(s, fromVars(s)); return kDone; }},
    {Family::PortBrightness, [](S& s, W w) { setPortBrightness(s, w.object, w.operand); return kDone; }},
    {Family::AllBrightness,  [](S& s, W w) { setAllPortBrightness(s, w.operand); return kDone; }},
    {Family::PortFromA,      [](S& s, W w) { writePort(s, w.operand, s.a); return kDone; }},
    {Family::PortFromB,      [](S& s, W w) { writePort(s, w.operand, s.b); return kDone; }},
    {Family::ButtonOff,      nullptr, [](const S& s, W w) { return !pressed(s, w.operand); }},
    {Family::VarAIsZero,     nullptr, [](const S& s, W) { return s.a == 0; }},
    {Family::VarBIsZero,     nullptr, [](const S& s, W) { return s.b == 0; }},
    {Family::VarAEquals,     nullptr, [](const S& s, W w) { return s.a == w.operand; }},
    {Family::VarBEquals,     nullptr, [](const S& s, W w) { return s.b == w.operand; }},
    {Family::ButtonOn,       nullptr, [](const S& s, W w) { return pressed(s, w.operand); }},
    {Family::VarABelow,      nullptr, [](const S& s, W w) { return s.a < w.operand; }},
    {Family::VarBBelow,      nullptr, [](const S& s, W w) { return s.b < w.operand; }},
    {Family::VarAAbove,      nullptr, [](const S& s, W w) { return s.a > w.operand; }},
    {Family::VarBAbove,      nullptr, [](const S& s, W w) { return s.b > w.operand; }},
    {Family::SetA,           [](S& s, W w) { s.a = w.operand; return kDone; }},
    {Family::SetB,           [](S& s, W w) { s.b = w.operand; return kDone; }},
    {Family::AddToA,         [](S& s, W w) { s.a = wrap(s.a + w.operand); return kDone; }},
    {Family::AddToB,         [](S& s, W w) { s.b = wrap(s.b + w.operand); return kDone; }},
    {Family::SubtractFromA,  [](S& s, W w) { s.a = wrap(s.a - w.operand); return kDone; }},
    {Family::SubtractFromB,  [](S& s, W w) { s.b = wrap(s.b - w.operand); return kDone; }},
    {Family::CopyBToA,       [](S& s, W) { s.a = s.b; return kDone; }},
    {Family::CopyAToB,       [](S& s, W) { s.b = s.a; return kDone; }},
    {Family::AddBToA,        [](S& s, W) { s.a = wrap(s.a + s.b); return kDone; }},
    {Family::SubtractBFromA, [](S& s, W) { s.a = wrap(s.a - s.b); return kDone; }},
    {Family::AddAToB,        [](S& s, W) { s.b = wrap(s.b + s.a); return kDone; }},
    {Family::SubtractAFromB, [](S& s, W) { s.b = wrap(s.b - s.a); return kDone; }},
    {Family::ShiftALeft,     [](S& s, W) { s.a = wrap(s.a << 1); return kDone; }},
    {Family::ShiftARight,    [](S& s, W) { s.a = wrap(s.a >> 1); return kDone; }},
    {Family::LedSet,         [](S& s, W w) { setLedOrAll(s, w.object, {w.low(), w.high()}); return kDone; }},
    {Family::Save,           [](S& s, W w) { s.stores[w.object - 1] = saveObject(s, w.operand); return kDone; }},
    {Family::Restore,        [](S& s, W w) {
         return restoreObject(s, w.operand, s.stores[w.object - 1]) ? kDone : ObjectOutcome::NothingToRestore;
     }},
};
// clang-format on

// Per family, its handler; checked when compiling: every Object family has an
// act, every Condition family a test, and no other family has either.
constexpr std::array<Handler, isa::kFamilyCount> kHandlerOf = [] {
    std::array<Handler, isa::kFamilyCount> byFamily{};
    for (const Handler& h : kHandlers) {
        const auto i = static_cast<std::size_t>(h.family);
        if (byFamily[i].act || byFamily[i].holds) throw "a family has two handlers";
        byFamily[i] = h;
    }
    for (const isa::WordFamily& f : isa::kWordFamilies) {
        const Handler& h = byFamily[static_cast<std::size_t>(f.family)];
        if ((h.act != nullptr) != (f.step == isa::Step::Object)) throw "every Object family needs an act";
        if ((h.holds != nullptr) != (f.step == isa::Step::Condition))
            throw "every Condition family needs a test";
    }
    return byFamily;
}();

const Handler& handlerOf(W w) {
    return kHandlerOf[static_cast<std::size_t>(w.family->family)];
}

} // namespace

ObjectOutcome executeObjectWord(BoardState& s, const isa::Decoded& w) {
    return handlerOf(w).act(s, w);
}

bool conditionHolds(const BoardState& s, const isa::Decoded& w) {
    return handlerOf(w).holds(s, w);
}

} // namespace veltra
