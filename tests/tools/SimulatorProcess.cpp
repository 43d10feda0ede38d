#include "tests/tools/SimulatorProcess.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <csignal>

#include "tests/support/WaitFor.h"

namespace veltra::test {

namespace {
// Generous: several builds may share the two cores with the sanitized simulator.
constexpr int kStartMs = 20000;
constexpr RequestPlan kPlan{{20, 500}, {20, 500}, 0};
} // namespace

SimulatorProcess::~SimulatorProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

bool SimulatorProcess::start(const QStringList& args, const QProcessEnvironment& env) {
    states_.clear();
    log_.clear();
    process_.setProcessEnvironment(env);
    process_.setProgram(QStringLiteral(VELTRA_BOARD_EXE));
    process_.setArguments(QStringList{QStringLiteral("--state")} + args);
    process_.start();
    if (!process_.waitForStarted(kStartMs)) return false;
    if (!waitFor([&] { return process_.canReadLine() || process_.state() != QProcess::Running; }, kStartMs))
        return false;
    const QString slave = QString::fromLocal8Bit(process_.readLine()).trimmed();
    return slave.startsWith(QStringLiteral("/dev/"));
}

bool SimulatorProcess::stop() {
    if (process_.state() == QProcess::NotRunning) return false;
    ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
    const bool finished = process_.waitForFinished(kStartMs);
    collect();
    return finished && process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
}

void SimulatorProcess::collect() {
    while (process_.canReadLine()) {
        const QByteArray line = process_.readLine().trimmed();
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
        EXPECT_TRUE(doc.isObject()) << "not a state line: " << line.toStdString();
        if (doc.isObject()) states_.push_back(doc.object());
    }
}

int SimulatorProcess::waitForState(const StateCheck& check, std::size_t from, int timeoutMs) {
    int found = -1;
    waitFor(
        [&] {
            collect();
            for (std::size_t i = from; i < states_.size(); ++i) {
                if (check(states_[i])) {
                    found = static_cast<int>(i);
                    return true;
                }
            }
            from = std::max(from, states_.size());
            return false;
        },
        timeoutMs);
    return found;
}

QString SimulatorProcess::log() {
    log_ += QString::fromUtf8(process_.readAllStandardError());
    return log_;
}

HostLink::~HostLink() {
    port_.reset();
}

bool HostLink::open(const QString& device) {
    port_ = std::make_unique<ComPort>(&client_, PortMap{}, portTurns_);
    if (!port_->Open(device)) {
        ADD_FAILURE() << port_->OpenFailureMessage().toStdString();
        return false;
    }
    port_->SetRun(true);
    return true;
}

bool HostLink::waitAlive() {
    return waitFor([&] { return link_.LinkAlive(); }, kStartMs);
}

int HostLink::request(RequestCode code) {
    EventPumpTurns turns;
    LinkRequest request(link_, turns);
    const RequestResult result = request.Run(code, kPlan);
    request.Finish();
    return result.outcome == RequestOutcome::Answered ? result.status : -1;
}

int HostLink::upload(const std::vector<std::uint16_t>& words) {
    ProgramImage image;
    std::copy(words.begin(), words.end(), image.words.begin());
    image.count = static_cast<std::uint16_t>(words.size());
    link_.SetUploadProgram(image);
    return request(RequestCode::Upload);
}

int HostLink::command(std::uint16_t word, bool toModule) {
    link_.SetConsoleCommand(word, toModule ? 0xD100 : 0, toModule);
    return request(RequestCode::Command);
}

int ledColour(const QJsonObject& s, int led) {
    return s[QStringLiteral("leds")].toArray()[led - 1].toArray()[0].toInt(-1);
}

int ledBrightness(const QJsonObject& s, int led) {
    return s[QStringLiteral("leds")].toArray()[led - 1].toArray()[1].toInt(-1);
}

int number(const QJsonObject& s, const char* key) {
    return s[QString::fromLatin1(key)].toInt(-1);
}

bool flag(const QJsonObject& s, const char* key) {
    return s[QString::fromLatin1(key)].toBool();
}

bool allLedsOff(const QJsonObject& s) {
    for (int led = 1; led <= 13; ++led)
        if (ledColour(s, led) != 0) return false;
    return true;
}

} // namespace veltra::test
