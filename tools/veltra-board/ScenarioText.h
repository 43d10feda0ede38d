#pragma once
// How the words of a scenario are read, its steps and its expectations alike:
// a mistake is a ScenarioFailure, which the parser reports with its line.

#include <QRegularExpressionMatch>
#include <QString>

#include <string>

namespace veltra::board_sim {

struct ScenarioFailure {
    std::string message;
};

// `pattern` matched against the whole of `text`.
QRegularExpressionMatch matchWhole(const QString& pattern, const QString& text);

// `text` as a number from `low` to `high`; else a failure naming it as `what`.
int numberIn(const QString& text, int low, int high, const char* what);

} // namespace veltra::board_sim
