#pragma once
// Reading the console's text back: which of its lines were commands the
// board took.

#include <QString>
#include <QStringList>

namespace veltra {

// The commands among lines `first`..`last` of the console's `lines` that the
// board answered " OK" (the line after the command reads ">>выполняю...  OK"),
// without their '>', in their order. Only lines the program language takes
// count: the console's own words ("сброс", "ППЗУ = ...") are left out, since
// a program holding them would not pass its check.
QStringList acceptedCommands(const QStringList& lines, qsizetype first, qsizetype last);

} // namespace veltra
