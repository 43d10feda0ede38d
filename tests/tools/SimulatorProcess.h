#pragma once
// The simulator as a separate process with --state, and the program's side of
// the line to it: ComPort, LinkProtocol and LinkRequest, as the editor uses them.

#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

#include "compiler/ProgramImage.h"
#include "link/ComPort.h"
#include "link/LinkProtocol.h"
#include "link/LinkRequest.h"
#include "link/ProtocolClient.h"

namespace veltra::test {

using StateCheck = std::function<bool(const QJsonObject&)>;

class SimulatorProcess {
  public:
    ~SimulatorProcess();

    // Starts veltra-board --state with `args`; true once it printed its
    // terminal's path (and the link, when asked for, is in place).
    bool start(const QStringList& args,
               const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
    // SIGTERM, then waits for a normal exit with code 0; reads what was left on stdout.
    bool stop();

    // Reads the state lines that have arrived. A line that is not a JSON object fails the test.
    void collect();
    const std::vector<QJsonObject>& states() const { return states_; }
    // Waits (bounded, pumping events) for a state line at index `from` or
    // later that passes `check`; its index, or -1.
    int waitForState(const StateCheck& check, std::size_t from = 0, int timeoutMs = 20000);
    // Everything the simulator wrote on standard error so far.
    QString log();

  private:
    QProcess process_;
    std::vector<QJsonObject> states_;
    QString log_;
};

// The editor's side of the link, opened on a device path.
class HostLink {
  public:
    ~HostLink();
    bool open(const QString& device);
    // Waits for the link to come alive (bounded).
    bool waitAlive();
    // One request as the upload and the console make it; the status, or -1 without an answer.
    int request(RequestCode code);
    int upload(const std::vector<std::uint16_t>& words);
    int command(std::uint16_t word, bool toModule = false);
    void close() { port_.reset(); }

  private:
    LinkProtocol link_;
    ProtocolClient client_{link_};
    PlainTurns portTurns_;
    std::unique_ptr<ComPort> port_;
};

// Helpers on a state line.
int ledColour(const QJsonObject& s, int led); // led 1..13
int ledBrightness(const QJsonObject& s, int led);
int number(const QJsonObject& s, const char* key); // "pc", "A", "programSize" ...
bool flag(const QJsonObject& s, const char* key);  // "running", "paused"
bool allLedsOff(const QJsonObject& s);

} // namespace veltra::test
