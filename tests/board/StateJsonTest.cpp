// The one-line JSON state: it must parse, and every value must be where a
// script looks for it.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <vector>

#include "board/BoardModel.h"
#include "board/StateJson.h"

namespace veltra {
namespace {

QJsonObject parse(const std::string& line) {
    EXPECT_EQ(line.find('\n'), std::string::npos);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << line;
    return doc.object();
}

std::vector<int> ints(const QJsonValue& v) {
    std::vector<int> out;
    for (const QJsonValue& x : v.toArray())
        out.push_back(x.isBool() ? int(x.toBool()) : x.toInt(-1));
    return out;
}

TEST(StateJson, CarriesEveryPartOfTheState) {
    BoardModel board;
    // свд_2=з,9 / ярк_3=4 / реле_2=вкл / А=200 / В=7 / сохр_1=свд_2 / сохр_2=порт / вм свд=б / пауза / А=1
    const std::vector<std::uint16_t> program{0xA292, 0x4704, 0x1A02, 0x91C8, 0x9207, 0xC142,
                                             0xC209, 0xD100, 0xAEF8, 0x4201, 0x9101};
    ASSERT_TRUE(board.loadProgram(program));
    board.setButton(3, true);
    board.advance(BoardTime(0));
    const QJsonObject o = parse(stateJson(board.state(), board.program()));

    const QJsonArray leds = o["leds"].toArray();
    ASSERT_EQ(leds.size(), 13);
    EXPECT_EQ(ints(leds[1]), (std::vector<int>{2, 9}));
    EXPECT_EQ(ints(leds[0]), (std::vector<int>{0, 0}));
    EXPECT_EQ(ints(o["ports"]), (std::vector<int>{0x10, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ints(o["portBrightness"]), (std::vector<int>{15, 15, 4, 15, 15}));
    EXPECT_EQ(ints(o["relays"]), (std::vector<int>{0, 1}));
    EXPECT_EQ(ints(o["buttons"]), (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(o["A"].toInt(), 200);
    EXPECT_EQ(o["B"].toInt(), 7);
    EXPECT_EQ(o["pc"].toInt(), 10);
    EXPECT_EQ(o["word"].toInt(), 0x9101);
    EXPECT_EQ(o["programSize"].toInt(), 11);
    EXPECT_TRUE(o["running"].toBool());
    EXPECT_TRUE(o["paused"].toBool());
    EXPECT_EQ(o["forwarded"].toObject()["count"].toInt(), 1);
    EXPECT_EQ(o["forwarded"].toObject()["last"].toInt(), 0xAEF8);

    const QJsonArray stores = o["stores"].toArray();
    ASSERT_EQ(stores.size(), 2);
    const QJsonObject one = stores[0].toObject();
    EXPECT_EQ(one["kind"].toString(), "led");
    EXPECT_EQ(one["led"].toInt(), 2);
    EXPECT_EQ(ints(one["value"]), (std::vector<int>{2, 9}));
    const QJsonObject two = stores[1].toObject();
    EXPECT_EQ(two["kind"].toString(), "ports");
    EXPECT_EQ(ints(two["values"]), (std::vector<int>{0x10, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ints(two["brightness"]), (std::vector<int>{15, 15, 4, 15, 15}));

    board.advance(BoardTime(1000));
    const QJsonObject end = parse(stateJson(board.state(), board.program()));
    EXPECT_TRUE(end["word"].isNull());
    EXPECT_FALSE(end["running"].toBool());
    EXPECT_EQ(end["A"].toInt(), 1);
}

TEST(StateJson, EveryStoreKindParses) {
    const std::uint16_t saves[] = {0xC101, 0xC109, 0xC141, 0xC140, 0xC10A, 0xC10B};
    const char* kinds[] = {"port", "ports", "led", "leds", "A", "B"};
    for (std::size_t i = 0; i < std::size(saves); ++i) {
        BoardModel board;
        ASSERT_TRUE(board.executeNow(saves[i]));
        const QJsonObject o = parse(stateJson(board.state(), board.program()));
        EXPECT_EQ(o["stores"].toArray()[0].toObject()["kind"].toString(), kinds[i]);
        EXPECT_EQ(o["stores"].toArray()[1].toObject()["kind"].toString(), "empty");
    }
}

} // namespace
} // namespace veltra
