#include "files/Cp1251.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace veltra {

namespace {
constexpr const char* kCodec = "windows-1251";

// Whether every character of `text` has a byte; the bytes go to `out`.
bool encodesWhole(QStringView text, QByteArray* out = nullptr) {
    QStringEncoder encoder(kCodec, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text); // the conversion runs here, not in encode()
    if (out) *out = std::move(bytes);
    return !encoder.hasError();
}
} // namespace

QString decodeCp1251(QByteArrayView bytes) {
    QStringDecoder decoder(kCodec, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

qsizetype encodeCp1251(QStringView text, QByteArray& out) {
    if (encodesWhole(text, &out)) return -1;
    // Rare path: the shortest beginning of the text that has no bytes ends
    // with the culprit. Halving finds it with a few encoders (each one looks
    // the code page up by name), where one for each character took seconds
    // for a long text. Beginnings end between code points.
    qsizetype good = 0;          // text[0, good) has bytes
    qsizetype bad = text.size(); // text[0, bad) has not
    while (bad - good > 1) {
        qsizetype middle = good + (bad - good) / 2;
        if (text[middle - 1].isHighSurrogate() && text[middle].isLowSurrogate()) ++middle;
        if (middle == bad) break; // one code point of two units is left
        (encodesWhole(text.first(middle)) ? good : bad) = middle;
    }
    qsizetype culprit = bad - 1;
    if (culprit > 0 && text[culprit].isLowSurrogate() && text[culprit - 1].isHighSurrogate()) --culprit;
    return culprit;
}

} // namespace veltra
