#include "files/ProgramText.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include "files/AppError.h"
#include "files/Cp1251.h"
#include "files/SafeWrite.h"
#include "files/SourceLines.h"
#include "os/ShownName.h"
#include "os/UserFiles.h"

namespace veltra {

QString cannotOpenMessage(const QString& path) {
    return QStringLiteral("Cannot open file ") + shownPath(path);
}

QString readProgramFile(const QString& path, bool* readAsUtf8) {
    std::optional<ProgramFileText> file = tryReadProgramFile(path);
    if (!file) throw AppError(cannotOpenMessage(path));
    if (readAsUtf8) *readAsUtf8 = file->readAsUtf8;
    return file->text;
}

std::optional<ProgramFileText> tryReadProgramFile(const QString& path) {
    const FileRead file = readUserFile(path);
    if (file.outcome != FileRead::Outcome::Read) return std::nullopt;
    const QByteArray& bytes = file.bytes;
    const bool utf8 = looksLikeUtf8(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    // The UTF-8 decoder drops a leading byte-order mark.
    QString text = utf8 ? QStringDecoder(QStringConverter::Utf8).decode(bytes) : decodeCp1251(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return ProgramFileText{text, utf8};
}

std::optional<Unencodable> findUnencodable(const QStringList& lines) {
    // The whole text in one pass (an encoder for each of a million lines
    // took a second); the culprit's line and column from its place in it.
    const QString text = lines.join(QLatin1Char('\n'));
    QByteArray scratch;
    const qsizetype bad = encodeCp1251(text, scratch);
    if (bad < 0) return std::nullopt;
    int line = 0;
    qsizetype start = 0; // of `line` in the text; a line break always has a byte
    while (bad > start + lines[line].size()) {
        start += lines[line].size() + 1;
        ++line;
    }
    const qsizetype len = (bad + 1 < text.size() && text[bad].isHighSurrogate()) ? 2 : 1;
    return Unencodable{line, int(bad - start), text.mid(bad, len)};
}

QString unencodableMessage(const Unencodable& bad, const QString& notSaved) {
    return QStringLiteral("Строка %1: символ «%2» нельзя записать в файл (кодировка Windows-1251). %3")
        .arg(bad.line + 1)
        .arg(bad.character, notSaved);
}

void writeProgramFile(const QString& path, const QStringList& lines) {
    const QString failure = QStringLiteral("Cannot create file ") + shownPath(path);
    // Encoded in one pass: a million lines one by one took a second.
    QString text = lines.join(QStringLiteral("\r\n"));
    if (!lines.isEmpty()) text += QStringLiteral("\r\n");
    QByteArray bytes;
    if (encodeCp1251(text, bytes) >= 0) throw AppError(failure);
    writeWholeFile(path, bytes, failure);
}

QString withDefaultSuffix(const QString& path, const QString& suffix) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
    return path + QLatin1Char('.') + suffix;
}

} // namespace veltra
