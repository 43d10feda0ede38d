#include "tools/veltra-lsp/Protocol.h"

namespace veltra::lsp {

namespace {

[[noreturn]] void badParam(const QString& key, const char* what) {
    throw RpcError{error::kInvalidParams, QStringLiteral("'%1' %2").arg(key, QLatin1String(what))};
}

QJsonValue valueAt(const QJsonObject& object, const QString& key) {
    const auto it = object.constFind(key);
    if (it == object.constEnd()) badParam(key, "is missing");
    return *it;
}

} // namespace

QJsonObject objectAt(const QJsonObject& object, const QString& key) {
    const QJsonValue value = valueAt(object, key);
    if (!value.isObject()) badParam(key, "must be an object");
    return value.toObject();
}

QString stringAt(const QJsonObject& object, const QString& key) {
    const QJsonValue value = valueAt(object, key);
    if (!value.isString()) badParam(key, "must be a string");
    return value.toString();
}

int intAt(const QJsonObject& object, const QString& key) {
    const QJsonValue value = valueAt(object, key);
    const double d = value.toDouble(-1);
    if (!value.isDouble() || d < 0 || d > 2147483647.0 || d != double(qint64(d)))
        badParam(key, "must be a whole number from 0 to 2147483647");
    return int(d);
}

Position positionAt(const QJsonObject& params, const QString& key) {
    const QJsonObject position = objectAt(params, key);
    return {intAt(position, QStringLiteral("line")), intAt(position, QStringLiteral("character"))};
}

QString printable(const QString& name) {
    QString out;
    out.reserve(name.size());
    for (QChar c : name) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Other_Format ||
            category == QChar::Separator_Line || category == QChar::Separator_Paragraph)
            out += c.unicode() < 0x100 ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'))
                                       : QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else
            out += c;
    }
    return out;
}

} // namespace veltra::lsp
