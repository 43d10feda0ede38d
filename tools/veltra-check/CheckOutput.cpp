#include "tools/veltra-check/CheckOutput.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include "compiler/Listing.h"
#include "os/ShownName.h"

namespace veltra::check {

namespace {

QString hexWord(std::uint16_t word) {
    return QStringLiteral("%1").arg(word, 4, 16, QLatin1Char('0')).toUpper();
}

} // namespace

// Messages carry file names: escaped, a name is one line of visible text.
void printText(const FileCheck& result, std::FILE* out, std::FILE* err) {
    if (!result.checked()) {
        std::fprintf(err, "veltra-check: %s\n", escapedName(result.error).c_str());
        return;
    }
    std::fprintf(out, "%s\n", result.report.message.c_str());
    for (std::uint16_t word : result.words)
        std::fprintf(out, "%04X\n", word);
}

void printListing(const FileCheck& result, std::FILE* out, std::FILE* err) {
    if (!result.checked() || result.exitCode != 0) return printText(result, out, err);
    for (std::size_t i = 0; i < result.words.size(); ++i) {
        const bool firstOfLine = i == 0 || result.wordLines[i - 1] != result.wordLines[i];
        std::fputs(listingHead(i, result.words[i], result.wordLines[i]).c_str(), out);
        // A program line may hold control characters: shown escaped, it stays one line.
        if (firstOfLine) std::fprintf(out, "  %s", escapedName(result.sources[i]).c_str());
        std::fputc('\n', out);
    }
}

void printJson(const FileCheck& result, std::FILE* out, bool listing) {
    // File names are the file system's bytes; JSON text is UTF-8, so a name
    // that is not also gets its bytes as "file_bytes".
    QJsonObject object{{"ok", result.checked() && result.exitCode == 0}, {"status", result.exitCode}};
    insertName(object, QStringLiteral("file"), QByteArray::fromStdString(result.file));
    if (!result.checked()) {
        object.insert("error", QString::fromStdString(result.error));
    } else {
        QJsonArray words;
        for (std::uint16_t word : result.words)
            words.append(hexWord(word));
        object.insert("line", result.report.line > 0 ? QJsonValue(result.report.line) : QJsonValue());
        object.insert("message", QString::fromStdString(result.report.message));
        object.insert("count", static_cast<int>(result.words.size()));
        object.insert("words", words);
        if (listing) {
            QJsonArray rows;
            for (std::size_t i = 0; i < result.words.size(); ++i)
                rows.append(QJsonObject{{"index", static_cast<int>(i)},
                                        {"word", hexWord(result.words[i])},
                                        {"line", result.wordLines[i]}});
            object.insert("listing", rows);
        }
    }
    std::fprintf(out, "%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
}

void printGcc(const FileCheck& result, std::FILE* out) {
    const std::string file = escapedName(result.file);
    if (!result.checked()) {
        std::fprintf(out, "%s: error: %s\n", file.c_str(), escapedName(result.error).c_str());
    } else if (result.exitCode != 0) {
        std::fprintf(out, "%s:%d: error: %s\n", file.c_str(), result.report.line,
                     escapedName(result.report.message).c_str());
    }
}

} // namespace veltra::check
