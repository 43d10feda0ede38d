#include "tools/veltra-board/ScenarioText.h"

#include <QRegularExpression>

namespace veltra::board_sim {

QRegularExpressionMatch matchWhole(const QString& pattern, const QString& text) {
    const QRegularExpression re(QStringLiteral("^(?:%1)$").arg(pattern));
    return re.match(text);
}

int numberIn(const QString& text, int low, int high, const char* what) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < low || n > high)
        throw ScenarioFailure{std::string(what) + " " + text.toStdString() + " is not from " +
                              std::to_string(low) + " to " + std::to_string(high)};
    return n;
}

} // namespace veltra::board_sim
