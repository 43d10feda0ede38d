#include "board/WordText.h"

#include <bit>
#include <string_view>

#include "board/CommandWords.h"

namespace veltra {

namespace {

using std::to_string;

const char* const kColourLetters[] = {"ч", "к", "з", "с", "ж", "г", "п", "ф", "б"};

// Port bits in the order the language writes them: bit 0 first.
std::string bitText(std::uint8_t byte) {
    std::string s;
    for (int i = 0; i < 8; ++i)
        s += (byte >> i) & 1 ? '1' : '0';
    return s;
}

std::string onOff(bool on) {
    return on ? "вкл" : "выкл";
}

// A mask sets one bit (on) or clears one (off).
bool maskSets(std::uint8_t mask) {
    return std::popcount(mask) == 1;
}
int maskBit(std::uint8_t mask) {
    return std::countr_zero(unsigned(maskSets(mask) ? mask : static_cast<std::uint8_t>(~mask))) + 1;
}

std::string storeObject(std::uint8_t object) {
    if (object >= 1 && object <= kLampPortCount) return "порт_" + to_string(object);
    if (object == isa::kStoreAllPorts) return "порт";
    if (object == isa::kStoreVarA) return "А";
    if (object == isa::kStoreVarB) return "В";
    if (object == isa::kStoreAllLeds) return "свд";
    return "свд_" + to_string(object - isa::kStoreAllLeds);
}

// "пауза+++" for 1..5 steps, else the length in milliseconds.
std::string marks(char mark, const isa::Decoded& w) {
    const int x = w.operand;
    if (x >= 1 && x <= 5) return std::string(static_cast<std::size_t>(x), mark);
    return std::string(" ").append(to_string(x * w.family->unitMs)).append(" мс");
}

// One field of a family's text form (see compiler/InstructionSet.h).
std::string field(std::string_view name, const isa::Decoded& w) {
    const std::uint8_t x = w.operand;
    if (name == "n") return to_string(w.object);
    if (name == "x") return to_string(x);
    if (name == "hi") return to_string(w.high());
    if (name == "lo") return to_string(w.low());
    if (name == "led") return w.object == isa::kAllLedsObject ? "свд" : "свд_" + to_string(w.object);
    if (name == "colour") return w.low() <= kMaxColour ? kColourLetters[w.low()] : "?";
    if (name == "bit") return to_string(maskBit(x));
    if (name == "onoff") return onOff(maskSets(x));
    if (name == "bits") return bitText(x);
    if (name == "level") return x == isa::kAllBits || x == 0 ? onOff(x == isa::kAllBits) : bitText(x);
    if (name == "object") return storeObject(x);
    if (name == "target") return to_string(w.target());
    if (name == "marks+") return marks('+', w);
    if (name == "marks*") return marks('*', w);
    if (name == "seconds") return x == 1 ? "" : std::string("=").append(to_string(x));
    if (name == "service") return x == isa::kMemoryWriteRequest ? "записать" : "стереть";
    return std::string("{").append(name).append("}"); // shows in the listing, and fails its test
}

} // namespace

std::string describeWord(std::uint16_t word) {
    const isa::Decoded w = isa::decode(word);
    if (!stepOf(w)) return "?";
    std::string text;
    for (std::string_view form = w.family->text; !form.empty();) {
        const std::size_t open = form.find('{');
        text += form.substr(0, open);
        if (open == std::string_view::npos) break;
        const std::size_t close = form.find('}', open);
        if (close == std::string_view::npos) break;
        text += field(form.substr(open + 1, close - open - 1), w);
        form.remove_prefix(close + 1);
    }
    return text;
}

} // namespace veltra
