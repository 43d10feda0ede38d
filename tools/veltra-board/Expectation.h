#pragma once
// What a scenario expects to see on the board ("expect свд_1 = к,15"), read
// from its text, and what the board shows against it, in the same notation.

#include <array>
#include <cstdint>
#include <string>

#include "board/BoardState.h"

class QString;

namespace veltra::board_sim {

// One LED as expected: a colour code, and a brightness unless only the colour matters.
struct LedExpectation {
    int colour = 0;
    int brightness = -1;
};

struct Expectation {
    enum class Object : std::uint8_t { Led, AllLeds, Port, PortBit, Brightness, Relay, VarA, VarB, Running };
    Object object = Object::Led;
    int index = 0; // LED, port or relay number from 1
    int bit = 0;   // PortBit: 1..8, as the language numbers them
    int value = 0; // byte, 0/1, brightness or variable value
    // Led: [0]; AllLeds: one for each LED (one value written stands for all).
    std::array<LedExpectation, kLedCount> leds{};
    std::string written; // the expectation as the scenario wrote it, for the report
};

// "OBJECT = VALUE", or "running" / "stopped"; a mistake throws ScenarioFailure
// (ScenarioText.h).
Expectation parseExpectation(const QString& text);

// What `e` finds on the board, in the scenario's own notation ("з,15",
// "01000000", "вкл", "5", "running"); `holds` tells whether it is what was expected.
std::string foundText(const BoardState& s, const Expectation& e, bool& holds);

} // namespace veltra::board_sim
