#pragma once
// The server's side of the protocol, without any input or output of its own:
// whole messages go in, whole JSON messages go out through `send`, which the
// transport frames. The loop around it (ServerLoop) reads the input and says
// when it is idle.
//
// Life cycle as the protocol has it: before `initialize` every request is
// answered ServerNotInitialized and notifications are dropped; after
// `shutdown` requests are InvalidRequest; `exit` ends the server, with code 0
// after a shutdown and 1 without.

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QSet>
#include <QString>

#include <functional>
#include <map>

#include "tools/veltra-lsp/Document.h"

namespace veltra::lsp {

class LanguageServer {
  public:
    // Takes one message to the client.
    using Send = std::function<void(const QJsonObject& message)>;

    explicit LanguageServer(Send send) : send_(std::move(send)) {}

    void handleMessage(const QByteArray& body);
    // A message whose framing was wrong: a parse error without an id.
    void handleFramingFault(const QString& fault);

    // Publishes the diagnostics of every document changed since the last
    // call. The loop calls it once no more input is waiting, so a burst of
    // changes is checked once.
    void publishPending();

    bool exited() const { return exitCode_ >= 0; }
    int exitCode() const { return exitCode_; }
    // The client's process, from `initialize`; 0 when it did not say.
    qint64 clientProcessId() const { return clientProcessId_; }

  private:
    using Handler = QJsonValue (LanguageServer::*)(const QJsonObject& params);

    // One row per method the server knows: a request is answered with what
    // its handler returns, a notification's result is dropped. What the
    // server announces at `initialize` is the rows' capabilities put
    // together, so a method and its announcement come and go as one.
    struct Method {
        const char* name;
        bool notification;
        Handler handler;
        QJsonObject (*capability)(); // null: nothing to announce
    };
    static const Method kMethods[];
    static const Method* findMethod(const QString& name, bool notification);
    static QJsonObject announcedCapabilities();

    void dispatch(const QJsonObject& message);
    void respond(const QJsonValue& id, const QJsonValue& result);
    void respondError(const QJsonValue& id, int code, const QString& message);
    void notify(const QString& method, const QJsonObject& params);
    void log(const QString& text);

    const Document& document(const QJsonObject& params) const;
    // A request's document, its position there, and its answer's JSON.
    struct Place;
    Place place(const QJsonObject& params) const;

    // The life cycle.
    QJsonValue initialize(const QJsonObject& params);
    QJsonValue shutdown(const QJsonObject& params);
    QJsonValue exit(const QJsonObject& params);

    // The documents (DocumentRequests.cpp).
    QJsonValue didOpen(const QJsonObject& params);
    QJsonValue didChange(const QJsonObject& params);
    QJsonValue didClose(const QJsonObject& params);
    QJsonValue hover(const QJsonObject& params);
    QJsonValue completion(const QJsonObject& params);
    QJsonValue definition(const QJsonObject& params);
    QJsonValue references(const QJsonObject& params);
    QJsonValue prepareRename(const QJsonObject& params);
    QJsonValue rename(const QJsonObject& params);
    QJsonValue documentSymbol(const QJsonObject& params);
    QJsonValue semanticTokensFull(const QJsonObject& params);
    QJsonValue semanticTokensRange(const QJsonObject& params);

    Send send_;
    std::map<QString, Document> documents_;
    QSet<QString> pending_; // documents whose diagnostics are out of date
    PositionEncoding encoding_ = PositionEncoding::Utf16;
    bool hierarchicalSymbols_ = false;
    bool initialized_ = false;
    bool shutDown_ = false;
    int exitCode_ = -1;
    qint64 clientProcessId_ = 0;
};

} // namespace veltra::lsp
