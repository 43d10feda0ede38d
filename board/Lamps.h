#pragma once
// The thirteen RGB LEDs and the five ports that carry their colour bits are one
// set of lamps seen two ways. The ports form one bit stream, port 1 bit 0 first:
// R1 G1 B1 R2 G2 B2 R3 G3 | B3 R4 ... (three bits per LED, 39 bits in all; port 5
// bit 7 belongs to no LED and simply holds what was written). Every write goes through here so both views
// agree.

#include <array>
#include <cstdint>

#include "board/BoardState.h"

namespace veltra {

// Colour bits of one LED: bit 0 red, bit 1 green, bit 2 blue.
std::uint8_t colourBits(std::uint8_t colour);
// The colour code a set of bits shows (purple, code 6, shares violet's bits and reads back as 7).
std::uint8_t colourOfBits(std::uint8_t bits);

// Port (1..5) and bit (0..7) of one colour component (0 red, 1 green, 2 blue) of LED 1..13.
struct PortBit {
    int port;
    int bit;
};
PortBit ledComponentBit(int led, int component);

// The port whose brightness an LED follows: the port of its red bit.
int homePort(int led);

// Set LEDs and recompute the port bytes from them.
void setLed(BoardState& s, int led, LedState value);
void setAllLeds(BoardState& s, LedState value);
void setLeds(BoardState& s, const std::array<LedState, kLedCount>& leds);

// Write port bytes 1..5 (index 0..4). LEDs whose bits change take the colour
// their bits show and the brightness of their home port (0 when they go dark);
// the other LEDs keep colour and brightness.
void writeLampPorts(BoardState& s, const std::array<std::uint8_t, kLampPortCount>& bytes);
// Write one port 1..6.
void writePort(BoardState& s, int port, std::uint8_t byte);
// Write all six ports at once.
void writeAllPorts(BoardState& s, const std::array<std::uint8_t, kPortCount>& bytes);

// Brightness of port 1..5; the lit LEDs of that port take it at once.
void setPortBrightness(BoardState& s, int port, std::uint8_t brightness);

} // namespace veltra
