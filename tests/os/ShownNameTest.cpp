#include <gtest/gtest.h>

#include <QJsonObject>

#include <set>
#include <string>

#include "os/ShownName.h"

namespace veltra {
namespace {

TEST(ShownName, ANameIsOneLineOfVisibleTextAndTwoNamesNeverLookAlike) {
    const std::pair<std::string, std::string> cases[] = {
        {"программа.txt", "программа.txt"},
        {"forge.txt\nevil.c:99: error: injected", "forge.txt\\nevil.c:99: error: injected"},
        {"\x1b[31mred\a\t\r", "\\e[31mred\\a\\t\\r"},
        {std::string("nul\0x\x7f", 6), "nul\\x00x\\x7F"},
        {"a\\x1b", "a\\\\x1b"}, // a backslash written as such stays apart from an escape
        {"rtl\u202Egpj.exe", "rtl\\u202Egpj.exe"},
        {"zero\u200Bwidth\uFEFF", "zero\\u200Bwidth\\uFEFF"},
        {"c1\u0085", "c1\\u0085"},
        {"bad\xff\xc3(\xed\xa0\x80", "bad\\xFF\\xC3(\\xED\\xA0\\x80"}, // not UTF-8, a surrogate
        {"\xc0\xaf", "\\xC0\\xAF"},                                      // an overlong '/'
    };
    std::set<std::string> shown;
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(escapedName(name), expected);
        shown.insert(escapedName(name));
    }
    EXPECT_EQ(shown.size(), std::size(cases));
}

TEST(ShownName, JsonKeepsTheBytesOfANameThatIsNotUtf8) {
    QJsonObject valid, invalid, other;
    insertName(valid, "file", "программа.txt");
    insertName(invalid, "file", "a\xff.txt");
    insertName(other, "file", "a\xfe.txt");
    EXPECT_EQ(valid, (QJsonObject{{"file", QStringLiteral("программа.txt")}}));
    EXPECT_EQ(invalid.value("file"), other.value("file")); // both a replacement character
    EXPECT_EQ(QByteArray::fromBase64(invalid.value("file_bytes").toString().toLatin1()), "a\xff.txt");
    EXPECT_NE(invalid, other);
}

} // namespace
} // namespace veltra
