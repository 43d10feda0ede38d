#pragma once
// A client for the tests: runs the real veltra-lsp as a process and talks to
// it over pipes as an editor does. The framing is read by this file's own
// parser, not the server's, so a mistake shared by both cannot hide.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QProcess>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace veltra::test {

class LspClient {
  public:
    explicit LspClient(const QStringList& arguments = {});
    ~LspClient();

    bool started() const { return started_; }

    // Writes raw bytes, framed or not.
    void writeRaw(const QByteArray& bytes);
    // Frames and writes one message.
    void write(const QJsonObject& message);
    int request(const QString& method, const QJsonObject& params = {});
    void notify(const QString& method, const QJsonObject& params = {});

    // The response to request `id`, waiting up to `timeoutMs`.
    std::optional<QJsonObject> response(int id, int timeoutMs = 20000);
    // The result of a request sent now (an error fails the test).
    QJsonValue call(const QString& method, const QJsonObject& params = {});
    // The next response without an id of its own (null id: a parse error).
    std::optional<QJsonObject> responseWithNullId(int timeoutMs = 20000);

    // The next diagnostics published for `uri`.
    std::optional<QJsonArray> diagnostics(const QString& uri, int timeoutMs = 20000);

    // initialize (with `capabilities`) and initialized.
    QJsonObject initialize(const QJsonObject& capabilities = {}, const QJsonValue& processId = QJsonValue::Null);
    void open(const QString& uri, const QString& text, int version = 1);

    // Closes the server's input, waits for it to end, and gives its exit code
    // (-1 when it did not end within the time).
    int finish(int timeoutMs = 20000, bool closeInput = true);
    QProcess& process() { return process_; }

  private:
    bool readMessages(int timeoutMs);
    // The first message received that `match` takes, reading until it comes.
    std::optional<QJsonObject> await(const std::function<bool(const QJsonObject&)>& match, int timeoutMs);

    QProcess process_;
    bool started_ = false;
    QByteArray input_;
    std::vector<QJsonObject> messages_; // received, not yet taken
    int nextId_ = 1;
};

QJsonObject textDocument(const QString& uri);
QJsonObject position(int line, int character);
QJsonObject at(const QString& uri, int line, int character);

} // namespace veltra::test
