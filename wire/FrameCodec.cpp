#include "wire/FrameCodec.h"

#include <algorithm>

namespace veltra {

std::uint16_t FrameCrc(const std::uint8_t* bytes, std::size_t length) {
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < length; ++i) {
        std::uint8_t b = bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            bool differ = ((crc ^ b) & 1) != 0;
            crc = static_cast<std::uint16_t>(crc >> 1);
            if (differ) crc ^= 0x8408;
            b = static_cast<std::uint8_t>(b >> 1);
        }
    }
    return crc;
}

std::size_t EncodeFrame(std::uint8_t code, std::uint8_t status, std::span<const std::uint8_t> data,
                        std::span<std::uint8_t, kFrameBufferSize> out) {
    if (data.size() > kMaxFrameData) return 0;
    const std::uint8_t header[kFrameHeaderSize] = {kFrameStart, kFrameMarkP, kFrameMarkA, code,
                                                   0,           0,           status,      kFrameHeaderEnd};
    std::copy(std::begin(header), std::end(header), out.begin());
    if (data.empty()) return kFrameHeaderSize;

    std::copy(data.begin(), data.end(), out.begin() + kFrameHeaderSize);
    std::uint16_t crc = FrameCrc(data.data(), data.size());
    std::size_t end = kFrameHeaderSize + data.size();
    out[end] = static_cast<std::uint8_t>(crc & 0xFF);
    out[end + 1] = static_cast<std::uint8_t>(crc >> 8);
    std::size_t payload = data.size() + kFrameCrcSize;
    out[kFrameLengthAt] = static_cast<std::uint8_t>(payload & 0xFF);
    out[kFrameLengthAt + 1] = static_cast<std::uint8_t>(payload >> 8);
    return kFrameHeaderSize + payload;
}

std::size_t EncodeFrame(RequestCode code, std::span<const std::uint8_t> data,
                        std::span<std::uint8_t, kFrameBufferSize> out) {
    return EncodeFrame(static_cast<std::uint8_t>(code), 0, data, out);
}

bool BuildFrame(TxFrameSlot& slot, RequestCode code, const std::uint8_t* data, std::size_t length) {
    std::size_t n = EncodeFrame(code, {data, data ? length : 0}, slot.txFrame);
    if (n == 0) return false;
    slot.txLength = static_cast<std::uint16_t>(n);
    slot.txPending = true;
    return true;
}

std::size_t FramePayloadLength(std::span<const std::uint8_t> frame) {
    return frame[kFrameLengthAt] | (frame[kFrameLengthAt + 1] << 8);
}

std::span<const std::uint8_t> FrameData(std::span<const std::uint8_t> frame) {
    const std::size_t payload = FramePayloadLength(frame);
    if (payload < kFrameCrcSize) return {};
    return frame.subspan(kFrameHeaderSize, payload - kFrameCrcSize);
}

bool FrameCrcMatches(std::span<const std::uint8_t> frame) {
    const std::size_t payload = FramePayloadLength(frame);
    if (payload == 0) return true;
    if (payload < kFrameCrcSize) return false;
    const std::span<const std::uint8_t> data = FrameData(frame);
    const std::size_t crcAt = kFrameHeaderSize + data.size();
    const auto sent = static_cast<std::uint16_t>(frame[crcAt] | (frame[crcAt + 1] << 8));
    return FrameCrc(data.data(), data.size()) == sent;
}

} // namespace veltra
