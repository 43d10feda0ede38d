// libFuzzer target: the bytes a connection to the running editor's hand-off
// socket sends, as they stand when they have arrived. Besides crashes and
// sanitizer reports it traps when the reading breaks its promises: a file it
// takes is a non-empty absolute path, and the message of that very path is
// what the bytes begin with (nothing read past it, nothing made up); it
// waits for more only while the bytes are short of the bound; and the
// message a second start sends for a path made of the input is taken whole,
// with anything after it, and no part of it is taken.

#include <QByteArray>
#include <QDir>
#include <QString>

#include <cstddef>
#include <cstdint>

#include "app/HandOffRequest.h"
#include "tests/fuzz/Require.h"

namespace {

using veltra::HandOffRequest;
using veltra::fuzz::require;
using State = HandOffRequest::State;

// What a second start sends for a path: absolute, as QFileInfo makes it.
void checkSentPath(const QString& path, const QByteArray& tail) {
    const QByteArray message = veltra::handOffRequestBytes(path);
    if (message.size() > veltra::kMaxHandOffRequestBytes) {
        require(veltra::readHandOffRequest(message).state == State::Refused);
        return;
    }
    const HandOffRequest whole = veltra::readHandOffRequest(message + tail);
    require(whole.state == State::File && whole.file == path);
    for (const qsizetype part :
         {qsizetype(0), qsizetype(3), qsizetype(4), message.size() / 2, message.size() - 1})
        if (part >= 0 && part < message.size())
            require(veltra::readHandOffRequest(message.first(part)).state == State::Incomplete);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const HandOffRequest request = veltra::readHandOffRequest(bytes);
    switch (request.state) {
    case State::File:
        require(!request.file.isEmpty() && QDir::isAbsolutePath(request.file) &&
                !request.file.contains(QChar(u'\0')));
        require(bytes.startsWith(veltra::handOffRequestBytes(request.file)));
        break;
    case State::Incomplete:
        require(request.file.isEmpty() && bytes.size() < veltra::kMaxHandOffRequestBytes);
        break;
    case State::Refused:
        require(request.file.isEmpty());
        break;
    }

    // The input as a file name, its NULs left out as a path holds none.
    QString path = QString::fromUtf8(bytes).remove(QChar(u'\0'));
    checkSentPath(QLatin1Char('/') + path, bytes.left(16));
    return 0;
}
