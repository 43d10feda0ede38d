#include "tests/lsp/LspClient.h"

#include <QElapsedTimer>

#include <algorithm>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace veltra::test {

LspClient::LspClient(const QStringList& arguments) {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(VELTRA_LSP), arguments);
    started_ = process_.waitForStarted(10000);
}

LspClient::~LspClient() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(10000);
    }
}

void LspClient::writeRaw(const QByteArray& bytes) {
    process_.write(bytes);
    process_.waitForBytesWritten(10000);
}

void LspClient::write(const QJsonObject& message) {
    const QByteArray body = QJsonDocument(message).toJson(QJsonDocument::Compact);
    writeRaw("Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
}

int LspClient::request(const QString& method, const QJsonObject& params) {
    const int id = nextId_++;
    write({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
    return id;
}

void LspClient::notify(const QString& method, const QJsonObject& params) {
    write({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
}

// Cuts whole messages from the bytes received: headers up to an empty line,
// then Content-Length bytes.
bool LspClient::readMessages(int timeoutMs) {
    if (process_.bytesAvailable() == 0 && !process_.waitForReadyRead(timeoutMs)) return false;
    input_ += process_.readAllStandardOutput();
    for (;;) {
        const qsizetype end = input_.indexOf("\r\n\r\n");
        if (end < 0) break;
        qsizetype length = -1;
        for (const QByteArray& line : input_.left(end).split('\n')) {
            const QByteArray trimmed = line.trimmed();
            if (trimmed.toLower().startsWith("content-length:")) length = trimmed.mid(15).trimmed().toLongLong();
        }
        EXPECT_GE(length, 0) << "a message without Content-Length: " << input_.left(end).toStdString();
        if (length < 0 || input_.size() < end + 4 + length) break;
        const QJsonDocument json = QJsonDocument::fromJson(input_.mid(end + 4, length));
        EXPECT_TRUE(json.isObject()) << input_.mid(end + 4, length).left(200).toStdString();
        messages_.push_back(json.object());
        input_.remove(0, end + 4 + length);
    }
    return true;
}

std::optional<QJsonObject> LspClient::await(const std::function<bool(const QJsonObject&)>& match, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        const auto found = std::find_if(messages_.begin(), messages_.end(), match);
        if (found != messages_.end()) {
            QJsonObject message = *found;
            messages_.erase(found);
            return message;
        }
        const int left = timeoutMs - int(timer.elapsed());
        if (left <= 0 || !readMessages(left)) return std::nullopt;
    }
}

std::optional<QJsonObject> LspClient::response(int id, int timeoutMs) {
    return await([id](const QJsonObject& m) { return m.value("id") == QJsonValue(id); }, timeoutMs);
}

std::optional<QJsonObject> LspClient::responseWithNullId(int timeoutMs) {
    return await([](const QJsonObject& m) { return m.contains("id") && m.value("id").isNull(); }, timeoutMs);
}

QJsonValue LspClient::call(const QString& method, const QJsonObject& params) {
    const int id = request(method, params);
    const std::optional<QJsonObject> answer = response(id);
    EXPECT_TRUE(answer.has_value()) << "no answer to " << method.toStdString();
    if (!answer) return QJsonValue::Undefined;
    EXPECT_FALSE(answer->contains("error"))
        << method.toStdString() << ": " << QJsonDocument(*answer).toJson().toStdString();
    return answer->value("result");
}

std::optional<QJsonArray> LspClient::diagnostics(const QString& uri, int timeoutMs) {
    const std::optional<QJsonObject> published = await(
        [&uri](const QJsonObject& m) {
            return m.value("method") == QStringLiteral("textDocument/publishDiagnostics") &&
                   m.value("params").toObject().value("uri") == uri;
        },
        timeoutMs);
    if (!published) return std::nullopt;
    return published->value("params").toObject().value("diagnostics").toArray();
}

QJsonObject LspClient::initialize(const QJsonObject& capabilities, const QJsonValue& processId) {
    const QJsonValue result =
        call("initialize", {{"processId", processId}, {"rootUri", QJsonValue::Null}, {"capabilities", capabilities}});
    notify("initialized");
    return result.toObject();
}

void LspClient::open(const QString& uri, const QString& text, int version) {
    notify("textDocument/didOpen",
           {{"textDocument", QJsonObject{{"uri", uri}, {"languageId", "veltra"}, {"version", version}, {"text", text}}}});
}

int LspClient::finish(int timeoutMs, bool closeInput) {
    if (closeInput) process_.closeWriteChannel();
    if (!process_.waitForFinished(timeoutMs)) return -1;
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -2;
}

QJsonObject textDocument(const QString& uri) {
    return {{"uri", uri}};
}

QJsonObject position(int line, int character) {
    return {{"line", line}, {"character", character}};
}

QJsonObject at(const QString& uri, int line, int character) {
    return {{"textDocument", textDocument(uri)}, {"position", position(line, character)}};
}

} // namespace veltra::test
