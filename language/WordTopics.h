#pragma once
// Which topic of the language help explains a word of a program line: the
// topic the help window shows for it, so that a hover in any editor gives the
// very text of the help window.

#include <QString>

#include <string_view>

#include "help/HelpTexts.h"

namespace veltra {

// The topic of a keyword or an object ("свд_5", "кн_2", "А", "тогда"),
// compared as the compiler compares words; nullptr for any other word.
const HelpTopic* topicOfWord(std::u32string_view word);

// The topic of the word of `line` at [start, start + length) (UTF-16
// positions, as programTokens() gives them). A parameter word ("вкл", a
// colour letter) belongs to the nearest keyword or object before it, so "ж"
// in "свд_1 = ж" is explained by the LED topic.
const HelpTopic* topicAt(const QString& line, int start, int length);

// The topic's heading without its dashes: "объект управления светодиод ( свд )".
QString topicTitle(const HelpTopic& topic);

} // namespace veltra
