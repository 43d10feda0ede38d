#include "files/Cp1251.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace veltra {

namespace {
constexpr const char* kCodec = "windows-1251";

// Encodes one code point (one or two UTF-16 units); true when it has a byte.
bool encodesAlone(QStringView unit) {
    QStringEncoder encoder(kCodec, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(unit); // the conversion runs here, not in encode()
    return !encoder.hasError();
}
} // namespace

QString decodeCp1251(QByteArrayView bytes) {
    QStringDecoder decoder(kCodec, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

qsizetype encodeCp1251(QStringView text, QByteArray& out) {
    QStringEncoder encoder(kCodec, QStringConverter::Flag::Stateless);
    out = encoder.encode(text);
    if (!encoder.hasError()) return -1;
    // Rare path: find the culprit one code point at a time.
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        if (!encodesAlone(text.mid(i, len))) return i;
        i += len - 1;
    }
    return text.size(); // refused as a whole only: callers treat it as "somewhere", and still refuse
}

} // namespace veltra
