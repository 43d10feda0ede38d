// libFuzzer target: the frame reader, at both ends of the line. The input is
// the first byte (which end: the program's port or the board) and then the
// received stream in cycles: a length byte, then that many bytes that arrive
// in one cycle (0: a silent cycle). Besides crashes and sanitizer reports it
// traps when the reader breaks its promises: it never writes past its buffer,
// a frame it hands out starts with 0x77, fits the buffer and has the length
// its header gave (at the board: a good header), and after a second of
// silence the next good frame is found whole, whatever came before.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "tests/fuzz/Require.h"
#include "wire/FrameAssembler.h"
#include "wire/FrameCodec.h"

namespace {

using veltra::FrameAssembler;
using veltra::fuzz::require;

void checkFrame(const FrameAssembler& reader, bool board) {
    const std::span<const std::uint8_t> frame = reader.frame();
    require(frame.size() <= veltra::kFrameBufferSize && frame.size() >= veltra::kFrameHeaderSize);
    require(frame[0] == veltra::kFrameStart);
    if (!board) return;
    require(frame[veltra::kFrameEndAt] == veltra::kFrameHeaderEnd);
    require(veltra::FramePayloadLength(frame) + veltra::kFrameHeaderSize == frame.size());
    require(frame.size() != veltra::kFrameHeaderSize + 1);
}

bool feed(FrameAssembler& reader, std::uint8_t byte, bool board) {
    const bool complete = reader.feed(byte);
    require(reader.rxPos >= 0 && reader.rxPos < int(veltra::kFrameBufferSize));
    if (complete) checkFrame(reader, board);
    return complete;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool board = (data[0] & 1) != 0;
    FrameAssembler reader(board ? FrameAssembler::HeaderCheck::Resynchronise
                                : FrameAssembler::HeaderCheck::KeepLastLength);
    std::size_t at = 1;
    while (at < size) {
        const std::size_t wanted = data[at++];
        const std::size_t length = std::min(wanted, size - at);
        reader.beginCycle(int(length));
        for (std::size_t i = 0; i < length; ++i)
            feed(reader, data[at + i], board);
        at += length;
    }

    // A second of silence, then a good frame whose data are the input's tail.
    for (int i = 0; i <= FrameAssembler::kSilentCyclesBeforeDrop; ++i)
        reader.beginCycle(0);
    const std::size_t dataLength = std::min<std::size_t>(size - 1, veltra::kMaxFrameData);
    std::array<std::uint8_t, veltra::kFrameBufferSize> good{};
    const std::size_t goodLength = veltra::EncodeFrame(
        data[0], 0, std::span<const std::uint8_t>(data + size - dataLength, dataLength), good);
    require(goodLength > 0);
    reader.beginCycle(int(goodLength));
    std::size_t completed = 0;
    for (std::size_t i = 0; i < goodLength; ++i) {
        if (!feed(reader, good[i], board)) continue;
        ++completed;
        require(i + 1 == goodLength); // no frame ends inside the good one
        const std::span<const std::uint8_t> frame = reader.frame();
        require(std::equal(frame.begin(), frame.end(), good.begin(), good.begin() + goodLength));
    }
    require(completed == 1);
    return 0;
}
