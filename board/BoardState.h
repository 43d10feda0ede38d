#pragma once
// Everything the virtual board shows to the outside: the lamps, the ports, the
// relays, the buttons, the variables, the stores and where its program stands.
// Plain data, compared as a whole to tell whether anything visible changed.

#include <array>
#include <chrono>
#include <cstdint>

#include "compiler/InstructionSet.h"

namespace veltra {

// Board time: a monotonic count of milliseconds from any fixed origin. The
// board never reads a clock itself; its owner hands it the time.
using BoardTime = std::chrono::milliseconds;

constexpr int kLedCount = isa::kLedCount;
constexpr int kPortCount = 6;                       // ports 1..6; ports 1..5 carry the LEDs' colour bits
constexpr int kLampPortCount = isa::kLampPortCount; // ports with LED bits, whole-byte writes and a brightness
constexpr int kButtonCount = 3;
constexpr int kRelayCount = 2;
constexpr int kStoreCount = 2;
constexpr std::uint8_t kMaxColour = isa::kMaxColour;
constexpr std::uint8_t kMaxBrightness = isa::kMaxBrightness;
constexpr std::size_t kProgramCapacity = 1000;

struct LedState {
    std::uint8_t colour = 0;     // 0..8, the language's colour codes
    std::uint8_t brightness = 0; // 0..15
    bool operator==(const LedState&) const = default;
};

// What a store holds. Saving copies every property of the object (a port's
// brightness too), so that restoring brings the object back as it was.
enum class StoreKind : std::uint8_t { Empty, Port, AllPorts, Led, AllLeds, VarA, VarB };

struct StoreSlot {
    StoreKind kind = StoreKind::Empty;
    std::uint8_t index = 0;                       // port 1..5 or LED 1..13 for the single-object kinds
    std::array<std::uint8_t, kPortCount> ports{}; // Port: [0]; AllPorts: all six
    std::array<std::uint8_t, kLampPortCount> portBrightness{}; // Port: [0]; AllPorts: all five
    std::array<LedState, kLedCount> leds{};                    // Led: [0]; AllLeds: all thirteen
    std::uint8_t value = 0;                                    // VarA, VarB
    bool operator==(const StoreSlot&) const = default;
};

struct BoardState {
    std::array<LedState, kLedCount> leds{};
    std::array<std::uint8_t, kPortCount> ports{}; // kept equal to the LEDs' colour bits for ports 1..5
    std::array<std::uint8_t, kLampPortCount> portBrightness{15, 15, 15, 15, 15};
    std::array<bool, kRelayCount> relays{};
    std::array<bool, kButtonCount> buttons{};
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    std::array<StoreSlot, kStoreCount> stores{};

    std::uint16_t pc = 0;          // index of the next word to execute
    std::uint16_t programSize = 0; // words in program memory
    bool running = false;
    bool paused = false;

    // Words handed to the external module: how many so far and the last one.
    std::uint32_t forwardedCount = 0;
    std::uint16_t lastForwarded = 0;

    bool operator==(const BoardState&) const = default;
};

} // namespace veltra
