#pragma once
// A scenario: what a person would do at the board and what they expect to see,
// as a small line-based text (docs/scenarios.md). Parsing checks the whole
// text first, so a mistake anywhere is reported before anything runs.

#include <cstdint>
#include <string>
#include <vector>

#include "board/BoardState.h"
#include "tools/veltra-board/Expectation.h"

namespace veltra::board_sim {

// Scenario runs cover minutes of board time; an hour is far beyond any, and
// bounds the work a mistyped "wait" can cause.
constexpr BoardTime kMaxScenarioTime{3600 * 1000};

struct ScenarioStep {
    enum class Kind : std::uint8_t { Advance, Press, Release, Execute, Expect };
    Kind kind = Kind::Advance;
    int line = 0;            // 1-based line of the scenario
    BoardTime until{0};      // Advance: board time to run to
    int button = 0;          // Press, Release: 1..3
    std::uint16_t word = 0;  // Execute: an object command, run as the console runs it
    Expectation expectation; // Expect
};

struct Scenario {
    std::string program; // the program file as written after "program"
    int programLine = 0;
    std::vector<ScenarioStep> steps;
};

struct ScenarioError {
    int line = 0; // 0: not tied to a line
    std::string message;
};

// `lines` are the scenario's lines, UTF-8. Fills `scenario`, or `error` at the
// first line that is not understood.
bool parseScenario(const std::vector<std::string>& lines, Scenario& scenario, ScenarioError& error);

// Board time as scenarios write it: "2s", "1.5s", "0.25s".
std::string timeText(BoardTime t);

} // namespace veltra::board_sim
