#include "board/Lamps.h"

#include <algorithm>

namespace veltra {

namespace {

constexpr std::uint8_t kRed = 1, kGreen = 2, kBlue = 4;

// Colour codes 0..8: black, red, green, blue, yellow, light blue, purple, violet, white.
constexpr std::array<std::uint8_t, kMaxColour + 1> kBitsOfColour{
    0, kRed, kGreen, kBlue, kRed | kGreen, kGreen | kBlue, kRed | kBlue, kRed | kBlue, kRed | kGreen | kBlue};

// Inverse for the eight bit patterns; red + blue reads back as violet.
constexpr std::array<std::uint8_t, 8> kColourOfBits{0, 1, 2, 4, 3, 7, 5, 8};

std::uint8_t bitsFromPorts(const std::array<std::uint8_t, kPortCount>& ports, int led) {
    std::uint8_t bits = 0;
    for (int c = 0; c < 3; ++c) {
        const PortBit pb = ledComponentBit(led, c);
        if (ports[pb.port - 1] & (1u << pb.bit)) bits |= static_cast<std::uint8_t>(1u << c);
    }
    return bits;
}

// Port 5 bit 7 has no lamp behind it; it keeps what was written to it.
constexpr std::uint8_t kSpareBitMask = 0x80;

void syncPortsFromLeds(BoardState& s) {
    for (int p = 0; p < kLampPortCount - 1; ++p)
        s.ports[p] = 0;
    s.ports[kLampPortCount - 1] &= kSpareBitMask;
    for (int led = 1; led <= kLedCount; ++led) {
        const std::uint8_t bits = colourBits(s.leds[led - 1].colour);
        for (int c = 0; c < 3; ++c) {
            if (!(bits & (1u << c))) continue;
            const PortBit pb = ledComponentBit(led, c);
            s.ports[pb.port - 1] |= static_cast<std::uint8_t>(1u << pb.bit);
        }
    }
}

} // namespace

std::uint8_t colourBits(std::uint8_t colour) {
    return colour <= kMaxColour ? kBitsOfColour[colour] : 0;
}

std::uint8_t colourOfBits(std::uint8_t bits) {
    return kColourOfBits[bits & 7];
}

PortBit ledComponentBit(int led, int component) {
    const int stream = (led - 1) * 3 + component;
    return {stream / 8 + 1, stream % 8};
}

int homePort(int led) {
    return ledComponentBit(led, 0).port;
}

void setLed(BoardState& s, int led, LedState value) {
    s.leds[led - 1] = value;
    syncPortsFromLeds(s);
}

void setAllLeds(BoardState& s, LedState value) {
    s.leds.fill(value);
    syncPortsFromLeds(s);
}

void setLeds(BoardState& s, const std::array<LedState, kLedCount>& leds) {
    s.leds = leds;
    syncPortsFromLeds(s);
}

void writeLampPorts(BoardState& s, const std::array<std::uint8_t, kLampPortCount>& bytes) {
    std::array<std::uint8_t, kPortCount> next = s.ports;
    for (int p = 0; p < kLampPortCount; ++p)
        next[p] = bytes[p];
    for (int led = 1; led <= kLedCount; ++led) {
        const std::uint8_t bits = bitsFromPorts(next, led);
        LedState& l = s.leds[led - 1];
        if (bits == colourBits(l.colour)) continue;
        l.colour = colourOfBits(bits);
        l.brightness = l.colour == 0 ? 0 : s.portBrightness[homePort(led) - 1];
    }
    s.ports[kLampPortCount - 1] = bytes[kLampPortCount - 1] & kSpareBitMask;
    syncPortsFromLeds(s);
}

void writePort(BoardState& s, int port, std::uint8_t byte) {
    if (port == kPortCount) {
        s.ports[kPortCount - 1] = byte;
        return;
    }
    std::array<std::uint8_t, kLampPortCount> bytes{};
    for (int p = 0; p < kLampPortCount; ++p)
        bytes[p] = s.ports[p];
    bytes[port - 1] = byte;
    writeLampPorts(s, bytes);
}

void writeAllPorts(BoardState& s, const std::array<std::uint8_t, kPortCount>& bytes) {
    std::array<std::uint8_t, kLampPortCount> lamp{};
    std::copy_n(bytes.begin(), kLampPortCount, lamp.begin());
    writeLampPorts(s, lamp);
    s.ports[kPortCount - 1] = bytes[kPortCount - 1];
}

void setPortBrightness(BoardState& s, int port, std::uint8_t brightness) {
    s.portBrightness[port - 1] = brightness;
    for (int led = 1; led <= kLedCount; ++led) {
        // Dark LEDs stay dark; they take the port's brightness when a port write lights them.
        LedState& l = s.leds[led - 1];
        if (homePort(led) == port && l.colour != 0) l.brightness = brightness;
    }
}

} // namespace veltra
