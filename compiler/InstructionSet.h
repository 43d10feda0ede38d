#pragma once
// The board's instruction set, named once. A command word is 16 bits: the
// high byte is the opcode (for some families it also numbers the object: the
// port, the LED, the store), the low byte is the operand. Each row of
// kWordFamilies is one family of words: its opcodes, what its operand holds,
// in which modes the language produces it, how the board takes it, and how it
// reads in the language.
//
// Everything else is derived from this table: the compiler's encoders build
// their words with word(), the board decodes a word with decode() and runs it
// through one handler per family, and the board's listing writes a word back
// from its family's text form.
//
// A new command: a row here (and its Family), then the encoder that produces
// it, then the board's handler (board/WordHandlers.cpp) when it is an object
// or condition word.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace veltra::isa {

enum class Family : std::uint8_t {
    MemoryService,
    PortBit,
    Relay,
    PortWrite,
    AllPortsWrite,
    LedFromA,
    AllLedsFromA,
    LedFromAB,
    AllLedsFromAB,
    PauseTenths,
    PauseSeconds,
    PauseFiftieths,
    PortBrightness,
    AllBrightness,
    PortFromA,
    PortFromB,
    ButtonOff,
    VarAIsZero,
    VarBIsZero,
    VarAEquals,
    VarBEquals,
    ButtonOn,
    VarABelow,
    VarBBelow,
    VarAAbove,
    VarBAbove,
    SetA,
    SetB,
    AddToA,
    AddToB,
    SubtractFromA,
    SubtractFromB,
    CopyBToA,
    CopyAToB,
    AddBToA,
    SubtractBFromA,
    AddAToB,
    SubtractAFromB,
    ShiftALeft,
    ShiftARight,
    LedSet,
    Return,
    Save,
    Restore,
    ModulePrefix,
    Jump,
};
constexpr std::size_t kFamilyCount = static_cast<std::size_t>(Family::Jump) + 1;

// What the operand (the low byte) holds, and which values the board runs.
enum class Operand : std::uint8_t {
    None,           // 0
    Byte,           // any value 0..255
    BrightColour,   // high nibble brightness 0..15, low nibble colour 0..8
    BrightLed,      // high nibble brightness, low nibble LED 1..13
    BrightOnly,     // high nibble brightness, low nibble 0
    Led,            // LED 1..13
    LampPort,       // port 1..5
    Brightness,     // 0..15
    BitMask,        // one bit set (switch it on) or one bit clear (switch it off)
    RelayMask,      // as BitMask, for relay 1 or 2
    ButtonMask,     // one of the bits 0..2 set: button 1..3
    StoreObject,    // what a store takes: a port, all ports, А, В, an LED, all LEDs
    Target,         // a jump: the word's low 11 bits are the index of the target word
    ServiceRequest, // kMemoryWriteRequest or kMemoryEraseRequest
};

// How the board takes a word.
enum class Step : std::uint8_t {
    Object,    // acts on an output, a variable or a store at once
    Pause,     // waits operand × unitMs
    Condition, // a false condition skips the next step
    Return,    // back to the word after the last jump
    Prefix,    // the next word goes to the external module
    Jump,      // goes on at the target word
    Service,   // never reaches the board: selects a memory request of the link
};

// Where the language produces a family's words: a program line, a console
// line, and after "вм" (forwarded to the external module, in either).
using Modes = std::uint8_t;
constexpr Modes kProgram = 1;
constexpr Modes kConsole = 2;
constexpr Modes kModule = 4;
constexpr Modes kEverywhere = kProgram | kConsole | kModule;
constexpr Modes kInPrograms = kProgram | kModule;

// One family. Its opcodes are base + n for the objects n = firstObject ..
// lastObject (single-opcode families: base, object 0).
//
// `text` is the word in the language (UTF-8) with these fields:
//   {n} object number    {x} operand    {hi} {lo} operand nibbles
//   {led} "свд_n", "свд" for object 14 (all LEDs)    {colour} colour letter of {lo}
//   {bit} number (1..8) of the bit a mask sets or clears    {onoff} "вкл" / "выкл" by the mask
//   {bits} operand as 8 digits, bit 0 first    {level} "вкл" / "выкл" for 0xFF / 0, else {bits}
//   {object} what a store takes    {target} jump target index
//   {marks+} {marks*} the mark x times for x = 1..5, else " {x × unitMs} мс"
//   {seconds} nothing for 1, else "={x}"    {service} "записать" / "стереть"
struct WordFamily {
    Family family;
    std::uint8_t base;
    std::uint8_t firstObject;
    std::uint8_t lastObject;
    Operand operand;
    Step step;
    Modes modes;
    std::uint16_t unitMs; // pauses: the length of one operand step
    const char* text;
};

// In the order of Family.
// clang-format off
constexpr auto kWordFamilies = [] {
    using enum Family;
    using enum Operand;
    using S = Step;
    return std::array<WordFamily, kFamilyCount>{{
        // family          base  objects  operand         step          modes        unit  text
        {MemoryService,    0x00, 0, 0,    ServiceRequest, S::Service,   kConsole,    0,    "ППЗУ = {service}"},
        {PortBit,          0x10, 1, 6,    BitMask,        S::Object,    kEverywhere, 0,    "порт_{n}.{bit} = {onoff}"},
        {Relay,            0x1A, 0, 0,    RelayMask,      S::Object,    kEverywhere, 0,    "реле_{bit} = {onoff}"},
        {PortWrite,        0x20, 1, 5,    Byte,           S::Object,    kEverywhere, 0,    "порт_{n} = {bits}"},
        {AllPortsWrite,    0x2E, 0, 0,    Byte,           S::Object,    kEverywhere, 0,    "порт = {level}"},
        {LedFromA,         0x31, 0, 0,    BrightLed,      S::Object,    kEverywhere, 0,    "свд_{lo} = А,{hi}"},
        {AllLedsFromA,     0x32, 0, 0,    BrightOnly,     S::Object,    kEverywhere, 0,    "свд = А,{hi}"},
        {LedFromAB,        0x33, 0, 0,    Led,            S::Object,    kEverywhere, 0,    "свд_{x} = А,В"},
        {AllLedsFromAB,    0x34, 0, 0,    None,           S::Object,    kEverywhere, 0,    "свд = А,В"},
        {PauseTenths,      0x41, 0, 0,    Byte,           S::Pause,     kInPrograms, 100,  "пауза{marks+}"},
        {PauseSeconds,     0x42, 0, 0,    Byte,           S::Pause,     kInPrograms, 1000, "пауза{seconds}"},
        {PauseFiftieths,   0x43, 0, 0,    Byte,           S::Pause,     kInPrograms, 20,   "пауза{marks*}"},
        {PortBrightness,   0x44, 1, 5,    Brightness,     S::Object,    kEverywhere, 0,    "ярк_{n} = {x}"},
        {AllBrightness,    0x4A, 0, 0,    Brightness,     S::Object,    kEverywhere, 0,    "ярк = {x}"},
        {PortFromA,        0x4D, 0, 0,    LampPort,       S::Object,    kEverywhere, 0,    "порт_{x} = А"},
        {PortFromB,        0x4E, 0, 0,    LampPort,       S::Object,    kEverywhere, 0,    "порт_{x} = В"},
        {ButtonOff,        0x53, 0, 0,    ButtonMask,     S::Condition, kInPrograms, 0,    "если кн_{bit}==выкл"},
        {VarAIsZero,       0x54, 0, 0,    None,           S::Condition, kInPrograms, 0,    "если А==0"},
        {VarBIsZero,       0x55, 0, 0,    None,           S::Condition, kInPrograms, 0,    "если В==0"},
        {VarAEquals,       0x5B, 0, 0,    Byte,           S::Condition, kInPrograms, 0,    "если А=={x}"},
        {VarBEquals,       0x5C, 0, 0,    Byte,           S::Condition, kInPrograms, 0,    "если В=={x}"},
        {ButtonOn,         0x63, 0, 0,    ButtonMask,     S::Condition, kInPrograms, 0,    "если кн_{bit}==вкл"},
        {VarABelow,        0x74, 0, 0,    Byte,           S::Condition, kInPrograms, 0,    "если А<{x}"},
        {VarBBelow,        0x75, 0, 0,    Byte,           S::Condition, kInPrograms, 0,    "если В<{x}"},
        {VarAAbove,        0x84, 0, 0,    Byte,           S::Condition, kInPrograms, 0,    "если А>{x}"},
        {VarBAbove,        0x85, 0, 0,    Byte,           S::Condition, kInPrograms, 0,    "если В>{x}"},
        {SetA,             0x91, 0, 0,    Byte,           S::Object,    kEverywhere, 0,    "А={x}"},
        {SetB,             0x92, 0, 0,    Byte,           S::Object,    kEverywhere, 0,    "В={x}"},
        {AddToA,           0x93, 0, 0,    Byte,           S::Object,    kEverywhere, 0,    "А=А+{x}"},
        {AddToB,           0x94, 0, 0,    Byte,           S::Object,    kEverywhere, 0,    "В=В+{x}"},
        {SubtractFromA,    0x95, 0, 0,    Byte,           S::Object,    kEverywhere, 0,    "А=А-{x}"},
        {SubtractFromB,    0x96, 0, 0,    Byte,           S::Object,    kEverywhere, 0,    "В=В-{x}"},
        {CopyBToA,         0x97, 0, 0,    None,           S::Object,    kEverywhere, 0,    "А=В"},
        {CopyAToB,         0x98, 0, 0,    None,           S::Object,    kEverywhere, 0,    "В=А"},
        {AddBToA,          0x99, 0, 0,    None,           S::Object,    kEverywhere, 0,    "А=А+В"},
        {SubtractBFromA,   0x9A, 0, 0,    None,           S::Object,    kEverywhere, 0,    "А=А-В"},
        {AddAToB,          0x9B, 0, 0,    None,           S::Object,    kEverywhere, 0,    "В=В+А"},
        {SubtractAFromB,   0x9C, 0, 0,    None,           S::Object,    kEverywhere, 0,    "В=В-А"},
        {ShiftALeft,       0x9D, 0, 0,    None,           S::Object,    kEverywhere, 0,    "А=А<<1"},
        {ShiftARight,      0x9E, 0, 0,    None,           S::Object,    kEverywhere, 0,    "А=А>>1"},
        {LedSet,           0xA0, 1, 14,   BrightColour,   S::Object,    kEverywhere, 0,    "{led} = {colour},{hi}"},
        {Return,           0xB1, 0, 0,    None,           S::Return,    kInPrograms, 0,    "возврат"},
        {Save,             0xC0, 1, 2,    StoreObject,    S::Object,    kInPrograms, 0,    "сохр_{n} = {object}"},
        {Restore,          0xC7, 1, 2,    StoreObject,    S::Object,    kEverywhere, 0,    "{object} = сохр_{n}"},
        {ModulePrefix,     0xD1, 0, 0,    None,           S::Prefix,    kEverywhere, 0,    "вм"},
        {Jump,             0xE0, 0, 7,    Target,         S::Jump,      kInPrograms, 0,    "переход [{target}]"},
    }};
}();
// clang-format on

constexpr const WordFamily& family(Family f) {
    return kWordFamilies[static_cast<std::size_t>(f)];
}

// The word of family `f` for `object` with `operand`.
constexpr unsigned word(Family f, unsigned object = 0, unsigned operand = 0) {
    return ((family(f).base + object) << 8) + operand;
}

// The board's objects as its words number them, from 1, and the ranges of
// its colours and brightnesses.
constexpr int kLedCount = 13;
constexpr int kLampPortCount = 5; // the ports that carry LED bits
constexpr int kMaxColour = 8;
constexpr int kMaxBrightness = 15;

// The object number that stands for all LEDs in LedSet.
constexpr unsigned kAllLedsObject = kLedCount + 1;
// A port byte with every bit set.
constexpr unsigned kAllBits = 0xFF;

// What a store takes (the operand of Save and Restore): port n (1..5) is n,
// LED n (1..13) is kStoreAllLeds + n.
constexpr unsigned kStoreAllPorts = 0x09;
constexpr unsigned kStoreVarA = 0x0A;
constexpr unsigned kStoreVarB = 0x0B;
constexpr unsigned kStoreAllLeds = 0x40;

// The operands of MemoryService.
constexpr unsigned kMemoryWriteRequest = 0x30;
constexpr unsigned kMemoryEraseRequest = 0x31;

// A jump's target is the word's low 11 bits. Until a program is laid out the
// compiler's jump holds its label number (1..15) in the low four bits, and is
// known by its top four bits.
constexpr std::uint16_t kJumpTargetMask = 0x07FF;
constexpr std::uint16_t kJumpLabelMask = 0x000F;
constexpr std::uint16_t kJumpMarkMask = 0xF000;

constexpr bool operandFits(Operand operand, unsigned x) {
    const unsigned low = x & 0x0F;
    const auto isLed = [](unsigned n) { return n >= 1 && n <= kLedCount; };
    const auto isLampPort = [](unsigned n) { return n >= 1 && n <= kLampPortCount; };
    const int ones = std::popcount(x);
    switch (operand) {
    case Operand::None:
        return x == 0;
    case Operand::Byte:
    case Operand::Target:
        return true;
    case Operand::BrightColour:
        return low <= kMaxColour;
    case Operand::BrightLed:
        return isLed(low);
    case Operand::BrightOnly:
        return low == 0;
    case Operand::Led:
        return isLed(x);
    case Operand::LampPort:
        return isLampPort(x);
    case Operand::Brightness:
        return x <= kMaxBrightness;
    case Operand::BitMask:
        return ones == 1 || ones == 7;
    case Operand::RelayMask:
        return x == 0x01 || x == 0x02 || x == 0xFE || x == 0xFD;
    case Operand::ButtonMask:
        return x == 1 || x == 2 || x == 4;
    case Operand::StoreObject:
        return isLampPort(x) || x == kStoreAllPorts || x == kStoreVarA || x == kStoreVarB ||
               x == kStoreAllLeds || (x > kStoreAllLeds && isLed(x - kStoreAllLeds));
    case Operand::ServiceRequest:
        return x == kMemoryWriteRequest || x == kMemoryEraseRequest;
    }
    return false;
}

namespace detail {

// Per opcode: the index of its family, kFamilyCount for none.
constexpr std::array<std::uint8_t, 256> kFamilyOfOpcode = [] {
    std::array<std::uint8_t, 256> byOpcode{};
    byOpcode.fill(static_cast<std::uint8_t>(kFamilyCount));
    for (std::size_t i = 0; i < kFamilyCount; ++i) {
        const WordFamily& f = kWordFamilies[i];
        if (static_cast<std::size_t>(f.family) != i) throw "kWordFamilies must follow the order of Family";
        for (unsigned n = f.firstObject; n <= f.lastObject; ++n) {
            if (f.base + n > 0xFF) throw "an opcode must fit the high byte";
            if (byOpcode[f.base + n] != kFamilyCount) throw "two families share an opcode";
            byOpcode[f.base + n] = static_cast<std::uint8_t>(i);
        }
    }
    return byOpcode;
}();

} // namespace detail

// A word taken apart by its family.
struct Decoded {
    const WordFamily* family = nullptr; // null: no family has this word
    std::uint8_t object = 0;
    std::uint8_t operand = 0;
    std::uint16_t word = 0;

    constexpr explicit operator bool() const { return family != nullptr; }
    constexpr std::uint8_t high() const { return operand >> 4; }
    constexpr std::uint8_t low() const { return operand & 0x0F; }
    constexpr std::uint16_t target() const { return word & kJumpTargetMask; }
};

// The family of `w` and its fields; no family when the opcode is unknown or
// the operand is not one its family takes.
constexpr Decoded decode(std::uint16_t w) {
    const std::uint8_t opcode = w >> 8;
    const std::uint8_t index = detail::kFamilyOfOpcode[opcode];
    Decoded d;
    d.word = w;
    d.operand = static_cast<std::uint8_t>(w & 0xFF);
    if (index == kFamilyCount) return d;
    const WordFamily& f = kWordFamilies[index];
    d.object = static_cast<std::uint8_t>(opcode - f.base);
    if (operandFits(f.operand, d.operand)) d.family = &f;
    return d;
}

} // namespace veltra::isa
