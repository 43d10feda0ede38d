#include <gtest/gtest.h>

#include <vector>

#include "tests/support/PeerFrameParser.h"
#include "wire/FrameCodec.h"

namespace veltra {
namespace {

std::vector<std::uint8_t> built(const TxFrameSlot& slot) {
    return {slot.txFrame.begin(), slot.txFrame.begin() + slot.txLength};
}

TEST(FrameCrc, CheckValueOfTheStandard) {
    const char* digits = "123456789";
    EXPECT_EQ(FrameCrc(reinterpret_cast<const std::uint8_t*>(digits), 9), 0x2189);
    EXPECT_EQ(FrameCrc(nullptr, 0), 0x0000);
}

TEST(FrameCrc, AgreesWithTheTestPeersOwnCrc) {
    std::vector<std::uint8_t> bytes(300);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
    for (std::size_t n : {1u, 2u, 7u, 64u, 300u})
        EXPECT_EQ(FrameCrc(bytes.data(), n), test::peerCrc(bytes.data(), n)) << n;
}

TEST(BuildFrame, CommandExampleByteForByte) {
    TxFrameSlot slot;
    const std::uint8_t data[] = {0x01, 0x34, 0x12, 0x00, 0x00, 0x00};
    ASSERT_TRUE(BuildFrame(slot, RequestCode::Command, data, sizeof data));
    EXPECT_TRUE(slot.txPending);
    EXPECT_EQ(built(slot), (std::vector<std::uint8_t>{0x77, 0x70, 0x61, 0x25, 0x08, 0x00, 0x00, 0x0A, 0x01,
                                                      0x34, 0x12, 0x00, 0x00, 0x00, 0x3D, 0x07}));
}

TEST(BuildFrame, PollExampleByteForByte) {
    TxFrameSlot slot;
    ASSERT_TRUE(BuildFrame(slot, RequestCode::Poll, nullptr, 0));
    EXPECT_EQ(built(slot), (std::vector<std::uint8_t>{0x77, 0x70, 0x61, 0x10, 0x00, 0x00, 0x00, 0x0A}));
}

TEST(BuildFrame, LengthsWithAndWithoutData) {
    struct Case {
        std::size_t dataBytes;
        std::uint16_t frameLength;
        std::uint16_t declared;
    };
    const Case cases[] = {{0, 8, 0}, {1, 11, 3}, {6, 16, 8}, {2000, 2010, 2002}, {kMaxFrameData, 4096, 4088}};
    std::vector<std::uint8_t> data(kMaxFrameData, 0xA5);
    for (const auto& c : cases) {
        TxFrameSlot slot;
        ASSERT_TRUE(BuildFrame(slot, RequestCode::Upload, data.data(), c.dataBytes)) << c.dataBytes;
        EXPECT_EQ(slot.txLength, c.frameLength) << c.dataBytes;
        EXPECT_EQ(slot.txFrame[4] | (slot.txFrame[5] << 8), c.declared) << c.dataBytes;
        test::PeerFrameParser parser;
        auto frames = parser.push(slot.txFrame.data(), slot.txLength);
        ASSERT_EQ(frames.size(), 1u) << c.dataBytes;
        EXPECT_TRUE(frames[0].crcOk()) << c.dataBytes;
    }
}

TEST(BuildFrame, DataThatCannotFitBuildsNothing) {
    TxFrameSlot slot;
    std::vector<std::uint8_t> data(kMaxFrameData + 1, 0);
    EXPECT_FALSE(BuildFrame(slot, RequestCode::Upload, data.data(), data.size()));
    EXPECT_FALSE(slot.txPending);
    EXPECT_EQ(slot.txLength, 0);
}

} // namespace
} // namespace veltra
