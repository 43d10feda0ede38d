#pragma once
// veltra-board --scenario: a program file run on the board model against a
// virtual clock, without a window or a terminal, following a scenario and
// checking its expectations.

#include <cstdint>
#include <ostream>
#include <span>
#include <string>

#include "tools/veltra-board/Scenario.h"

namespace veltra {
class BoardModel;
}

namespace veltra::board_sim {

// Exit codes of a scenario run.
constexpr int kScenarioHeld = 0;
constexpr int kScenarioFailed = 1;
constexpr int kScenarioError = 2; // the scenario or its program could not be run

// The board clock advances in the steps the simulator's timer uses, so that
// a program sees buttons and pauses as it does on the simulator.
constexpr BoardTime kScenarioStep{5};

struct ScenarioOutcome {
    int expectations = 0;
    int failed = 0;
};

// Runs `scenario`'s steps on `board`, which holds the started program at board
// time 0. Writes one line per failed expectation to `report`:
//   NAME:LINE: at 2.5s: expected свд_1 = к,15, found з,15
ScenarioOutcome runScenario(const Scenario& scenario, BoardModel& board, const std::string& name,
                            std::ostream& report);

// The whole run of veltra-board --scenario FILE: reads the scenario (UTF-8) and
// its program (Windows-1251, relative to the scenario's folder), checks the
// program as the editor does, uploads it and runs the scenario. Failed
// expectations and a summary go to `out`, errors to `err`. Returns 0, 1 or 2.
int runScenarioFile(const std::string& path, std::ostream& out, std::ostream& err);

} // namespace veltra::board_sim
