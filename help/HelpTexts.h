#pragma once
// The reference texts of the two help windows, kept as data: each text is a
// list of lines, shown one line per line of the text box, with every blank
// as written (some lines are blank-padded on purpose, some are empty).

#include <QString>
#include <QStringList>

#include <span>
#include <string_view>

namespace veltra {

// One topic of the language help: the object name of the label that shows it
// and the lines of its text.
struct HelpTopic {
    std::string_view label;
    std::span<const std::string_view> lines;
};

// The twelve topics in the order in which their labels stand on the panel.
std::span<const HelpTopic> languageHelpTopics();

// The topic shown by the label with this object name, or nullptr.
const HelpTopic* findLanguageHelpTopic(std::string_view label);

// The text of the console help window.
std::span<const std::string_view> consoleHelpLines();

// Lines as Qt strings (the data is UTF-8).
QStringList toQStringList(std::span<const std::string_view> lines);

} // namespace veltra
