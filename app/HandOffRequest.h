#pragma once
// The message a second start sends the running editor: the file's absolute
// path, as QDataStream writes a QString (its length in bytes, then UTF-16).
// Any process of the user's can connect, so the running editor takes a
// message only when it is whole and names a file the way a second start
// does; a path relative to the editor's own working folder, or an empty
// one, is no file the sender could have meant.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace veltra {

// A path is far shorter; anything longer is not one of ours.
constexpr qsizetype kMaxHandOffRequestBytes = 64 * 1024;

struct HandOffRequest {
    enum class State {
        Incomplete, // the rest may still come
        File,       // `file` is the path handed over
        Refused,    // not a message of a second start: the connection is dropped
    };
    State state = State::Incomplete;
    QString file;
};

// What the bytes a connection has sent so far make. Bytes after a whole
// message are not looked at (one file per connection).
HandOffRequest readHandOffRequest(QByteArrayView bytes);

// The message that hands `file` over.
QByteArray handOffRequestBytes(const QString& file);

} // namespace veltra
