#pragma once
// The texts the console writes that other parts read back: the prompt and
// the line on which a procedure shows its outcome.

#include <QString>

namespace veltra {

inline const QString kConsolePrompt = QStringLiteral(">");
inline const QString kConsoleWorking = QStringLiteral(">>выполняю... ");
inline const QString kConsoleOk = QStringLiteral(" OK");

} // namespace veltra
