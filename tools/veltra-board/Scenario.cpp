#include "tools/veltra-board/Scenario.h"

#include <QRegularExpression>
#include <QString>

#include "compiler/LineCompiler.h"
#include "tools/veltra-board/ScenarioText.h"

namespace veltra::board_sim {

namespace {

// "2s", "1.5 s", "250ms", "0".
BoardTime parseTime(const QString& text) {
    const auto m = matchWhole(QStringLiteral(R"((\d{1,7})(?:[.,](\d{1,3}))?\s*(ms|s)|0)"), text);
    if (!m.hasMatch())
        throw ScenarioFailure{"\"" + text.toStdString() + "\" is not a time such as 2s, 1.5s or 250ms"};
    if (m.captured(3).isEmpty()) return BoardTime(0);
    long long ms = m.captured(1).toLongLong();
    if (m.captured(3) == QLatin1String("s")) {
        const QString fraction = m.captured(2).leftJustified(3, QLatin1Char('0'));
        ms = ms * 1000 + fraction.toLongLong();
    } else if (!m.captured(2).isEmpty()) {
        throw ScenarioFailure{"milliseconds have no fraction: " + text.toStdString()};
    }
    if (ms > kMaxScenarioTime.count())
        throw ScenarioFailure{"times go up to " + timeText(kMaxScenarioTime) + ", not " + text.toStdString()};
    return BoardTime(ms);
}

int parseButton(const QString& text) {
    const auto m = matchWhole(QStringLiteral(R"(кн_(\d+))"), text);
    if (!m.hasMatch())
        throw ScenarioFailure{"\"" + text.toStdString() + "\" is not a button кн_1, кн_2 or кн_3"};
    return numberIn(m.captured(1), 1, kButtonCount, "button");
}

// "А = 5": the word the console would send for "А=5".
std::uint16_t parseSet(const QString& text) {
    const auto m = matchWhole(QStringLiteral(R"(([АВ])\s*=\s*(\d+))"), text);
    if (!m.hasMatch()) throw ScenarioFailure{"set needs А = n or В = n"};
    const int value = numberIn(m.captured(2), 0, 255, "value");
    const QString line = m.captured(1) + QLatin1Char('=') + QString::number(value);
    return compileProgramLine(line.toStdU32String()).word;
}

// A comment starts at '#' at the beginning of a line or after a blank.
QString withoutComment(const QString& line) {
    static const QRegularExpression comment(QStringLiteral(R"((^|\s)#.*$)"));
    return QString(line).remove(comment).trimmed();
}

} // namespace

std::string timeText(BoardTime t) {
    const long long ms = t.count();
    if (ms % 1000 == 0) return std::to_string(ms / 1000) + "s";
    QString fraction = QStringLiteral("%1").arg(ms % 1000, 3, 10, QLatin1Char('0'));
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    return std::to_string(ms / 1000) + "." + fraction.toStdString() + "s";
}

bool parseScenario(const std::vector<std::string>& lines, Scenario& scenario, ScenarioError& error) {
    scenario = {};
    BoardTime now{0};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int lineNumber = static_cast<int>(i + 1);
        const QString text = withoutComment(QString::fromStdString(lines[i]));
        if (text.isEmpty()) continue;
        const qsizetype blank = text.indexOf(QRegularExpression(QStringLiteral(R"(\s)")));
        const QString verb = blank < 0 ? text : text.left(blank);
        const QString rest = blank < 0 ? QString() : text.mid(blank).trimmed();
        try {
            if (verb == QLatin1String("program")) {
                if (!scenario.program.empty()) throw ScenarioFailure{"a scenario runs one program"};
                if (rest.isEmpty()) throw ScenarioFailure{"program needs a file"};
                scenario.program = rest.toStdString();
                scenario.programLine = lineNumber;
                continue;
            }
            if (scenario.program.empty()) throw ScenarioFailure{"the scenario must name its program first"};
            ScenarioStep step;
            step.line = lineNumber;
            if (verb == QLatin1String("at") || verb == QLatin1String("wait")) {
                const BoardTime t = parseTime(rest);
                if (verb == QLatin1String("at") && t < now)
                    throw ScenarioFailure{"at " + timeText(t) + " lies before " + timeText(now) +
                                          ", where the scenario is"};
                step.kind = ScenarioStep::Kind::Advance;
                step.until = verb == QLatin1String("at") ? t : now + t;
                if (step.until > kMaxScenarioTime)
                    throw ScenarioFailure{"the scenario would run past " + timeText(kMaxScenarioTime)};
                now = step.until;
            } else if (verb == QLatin1String("press") || verb == QLatin1String("release")) {
                step.kind =
                    verb == QLatin1String("press") ? ScenarioStep::Kind::Press : ScenarioStep::Kind::Release;
                step.button = parseButton(rest);
            } else if (verb == QLatin1String("set")) {
                step.kind = ScenarioStep::Kind::Execute;
                step.word = parseSet(rest);
            } else if (verb == QLatin1String("expect")) {
                step.kind = ScenarioStep::Kind::Expect;
                step.expectation = parseExpectation(rest);
            } else {
                throw ScenarioFailure{"unknown word \"" + verb.toStdString() +
                                      "\" (program, at, wait, press, release, set or expect)"};
            }
            scenario.steps.push_back(std::move(step));
        } catch (const ScenarioFailure& failure) {
            error = {lineNumber, failure.message};
            return false;
        }
    }
    if (scenario.program.empty()) {
        error = {0, "the scenario names no program (program FILE)"};
        return false;
    }
    return true;
}

} // namespace veltra::board_sim
