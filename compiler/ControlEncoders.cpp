// Encoders of the commands that steer the board program: the pause, the
// arithmetic on А and В, labels, jumps, the return, and the conditions of
// "если ... тогда".

#include "compiler/Encoders.h"
#include "compiler/InstructionSet.h"

namespace veltra {
namespace {

using enc::fail;
using enc::inRange;
using enc::kNoPos;
using enc::skipBlanks;
using enc::succeed;
using enc::Switch;
using isa::Family;
using isa::word;

// Steps over one blank at `pos`; a second blank there is an error (kNoPos).
std::size_t oneBlankAtMost(std::u32string_view line, std::size_t pos) {
    if (charAt(line, pos) == U' ') {
        ++pos;
        if (charAt(line, pos) == U' ') return kNoPos;
    }
    return pos;
}

// The words of one byte variable. The two variables share one syntax; only
// А has the shift forms.
struct VariableWords {
    char32_t own;
    char32_t other;
    unsigned set;        // X=x
    unsigned add;        // X=X+x
    unsigned subtract;   // X=X-x
    unsigned copy;       // X=other
    unsigned addOther;   // X=X+other
    unsigned subOther;   // X=X-other
    unsigned shiftLeft;  // X=X<<1, 0 = no such form
    unsigned shiftRight; // X=X>>1, 0 = no such form
    unsigned objectCode; // low byte of the restore words
};

constexpr VariableWords kVarA{.own = U'А',
                              .other = U'В',
                              .set = word(Family::SetA),
                              .add = word(Family::AddToA),
                              .subtract = word(Family::SubtractFromA),
                              .copy = word(Family::CopyBToA),
                              .addOther = word(Family::AddBToA),
                              .subOther = word(Family::SubtractBFromA),
                              .shiftLeft = word(Family::ShiftALeft),
                              .shiftRight = word(Family::ShiftARight),
                              .objectCode = isa::kStoreVarA};
constexpr VariableWords kVarB{.own = U'В',
                              .other = U'А',
                              .set = word(Family::SetB),
                              .add = word(Family::AddToB),
                              .subtract = word(Family::SubtractFromB),
                              .copy = word(Family::CopyAToB),
                              .addOther = word(Family::AddAToB),
                              .subOther = word(Family::SubtractAFromB),
                              .shiftLeft = 0,
                              .shiftRight = 0,
                              .objectCode = isa::kStoreVarB};

bool byteOperand(std::u32string_view line, std::size_t pos, unsigned base, CmdRecord& rec) {
    const int x = parseNumber(line, pos);
    if (!inRange(x, 0, 255)) return fail(rec, CmdStatus::BadParameter);
    return succeed(rec, base + static_cast<unsigned>(x));
}

bool encodeVariable(std::u32string_view line, std::size_t start, const VariableWords& v, CmdRecord& rec) {
    std::size_t p = enc::afterEquals(line, start + 1);
    if (p == kNoPos) return fail(rec, CmdStatus::BadCommand);
    p = oneBlankAtMost(line, p);
    if (p == kNoPos) return fail(rec, CmdStatus::BadCommand);

    const char32_t q0 = charAt(line, p);
    const char32_t q1 = charAt(line, p + 1);
    const char32_t q2 = charAt(line, p + 2);
    if (q0 == v.own && (q1 == U'+' || q1 == U'-')) {
        if (q2 == v.other) return succeed(rec, q1 == U'+' ? v.addOther : v.subOther);
        return byteOperand(line, p + 2, q1 == U'+' ? v.add : v.subtract, rec);
    }
    // The other variable's letter makes a copy; what follows it is not read.
    if (q0 == v.other) return succeed(rec, v.copy);
    if (v.shiftLeft != 0 && q0 == v.own) {
        if (matchesAt(line, p + 1, U"<<1")) return succeed(rec, v.shiftLeft);
        if (matchesAt(line, p + 1, U">>1")) return succeed(rec, v.shiftRight);
    }
    if (const int store = enc::storeAt(line, p)) {
        return succeed(rec, word(Family::Restore, static_cast<unsigned>(store), v.objectCode));
    }
    return byteOperand(line, p, v.set, rec);
}

// The words of one variable's comparisons in a condition.
struct ComparisonWords {
    unsigned equalZero;
    unsigned equal;
    unsigned greater;
    unsigned less;
};

constexpr ComparisonWords kTestA{word(Family::VarAIsZero), word(Family::VarAEquals), word(Family::VarAAbove),
                                 word(Family::VarABelow)};
constexpr ComparisonWords kTestB{word(Family::VarBIsZero), word(Family::VarBEquals), word(Family::VarBAbove),
                                 word(Family::VarBBelow)};

bool encodeVariableTest(std::u32string_view line, std::size_t start, const ComparisonWords& w,
                        CmdRecord& rec) {
    std::size_t p = oneBlankAtMost(line, start + 1);
    if (p == kNoPos) return fail(rec, CmdStatus::BadParameter);

    enum class Test { Equal, Greater, Less } test;
    std::size_t number;
    if (charAt(line, p) == U'=' && charAt(line, p + 1) == U'=') {
        test = Test::Equal;
        number = p + 2;
    } else if (charAt(line, p) == U'>') {
        test = Test::Greater;
        number = p + 1;
    } else if (charAt(line, p) == U'<') {
        test = Test::Less;
        number = p + 1;
    } else {
        return fail(rec, CmdStatus::BadParameter);
    }
    number = oneBlankAtMost(line, number);
    if (number == kNoPos) return fail(rec, CmdStatus::BadParameter);
    const int x = parseNumber(line, number);
    if (!inRange(x, 0, 255)) return fail(rec, CmdStatus::BadParameter);

    // The length comes from the value, so leading zeros leave `rest` inside
    // the number and the line then fails where "тогда" is expected.
    rec.rest = number + (x < 10 ? 1 : x < 100 ? 2 : 3);
    const unsigned operand = static_cast<unsigned>(x);
    switch (test) {
    case Test::Equal:
        return succeed(rec, x == 0 ? w.equalZero : w.equal + operand);
    case Test::Greater:
        return succeed(rec, w.greater + operand);
    case Test::Less:
        break;
    }
    return succeed(rec, w.less + operand);
}

} // namespace

bool encodePause(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    const char32_t c = charAt(line, start + 5);
    if (c == U'+' || c == U'*') {
        unsigned count = 0;
        while (count < 5 && charAt(line, start + 5 + count) == c)
            ++count;
        return succeed(rec, word(c == U'+' ? Family::PauseTenths : Family::PauseFiftieths, 0, count));
    }
    if (c == U'=' || c == U' ') {
        for (std::size_t i = 5; i <= 9; ++i) {
            const char32_t here = charAt(line, start + i);
            if (here == U'\0') break;
            if (here == U'=') return byteOperand(line, start + i + 1, word(Family::PauseSeconds), rec);
        }
        return fail(rec, CmdStatus::BadParameter);
    }
    return succeed(rec, word(Family::PauseSeconds, 0, 1)); // a bare "пауза" waits one second
}

bool encodeVarA(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    return encodeVariable(line, start, kVarA, rec);
}

bool encodeVarB(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    return encodeVariable(line, start, kVarB, rec);
}

bool encodeIf(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    const std::size_t p = oneBlankAtMost(line, start + 4);
    if (p == kNoPos) return fail(rec, CmdStatus::BadCommand);
    if (matchesAt(line, p, lang::kButtonWord)) return encodeButtonTest(line, p, rec);
    if (charAt(line, p) == U'А') return encodeVarATest(line, p, rec);
    if (charAt(line, p) == U'В') return encodeVarBTest(line, p, rec);
    return fail(rec, CmdStatus::BadParameter);
}

bool encodeButtonTest(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    const int n = parseNumber(line, start + 3);
    if (!inRange(n, 1, 3)) return fail(rec, CmdStatus::BadParameter);
    // The button number is one digit, so "==" is looked for right after it.
    std::size_t p = skipBlanks(line, start + 4, 1);
    if (charAt(line, p) != U'=' || charAt(line, p + 1) != U'=') return fail(rec, CmdStatus::BadParameter);
    p = oneBlankAtMost(line, p + 2);
    if (p == kNoPos) return fail(rec, CmdStatus::BadParameter);

    const unsigned mask = 1u << (n - 1);
    switch (enc::onOffAt(line, p)) {
    case Switch::On:
        rec.rest = p + 3;
        return succeed(rec, word(Family::ButtonOn, 0, mask));
    case Switch::Off:
        rec.rest = p + 4;
        return succeed(rec, word(Family::ButtonOff, 0, mask));
    case Switch::None:
        break;
    }
    return fail(rec, CmdStatus::BadParameter);
}

bool encodeVarATest(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    return encodeVariableTest(line, start, kTestA, rec);
}

bool encodeVarBTest(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    return encodeVariableTest(line, start, kTestB, rec);
}

bool encodeJump(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    const std::size_t p = oneBlankAtMost(line, start + 7);
    if (p == kNoPos) return fail(rec, CmdStatus::BadCommand);
    if (!lang::anyAt(line, p, lang::kLabelWords)) return fail(rec, CmdStatus::BadCommand);
    const int n = parseNumber(line, p + 6);
    if (!inRange(n, 1, 15)) return fail(rec, CmdStatus::BadParameter);
    // The label number stands in for the target until the whole text is known.
    return succeed(rec, word(Family::Jump, 0, static_cast<unsigned>(n)));
}

bool encodeReturn(std::u32string_view, std::size_t, CmdRecord& rec) {
    return succeed(rec, word(Family::Return));
}

bool encodeLabel(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    if (charAt(line, start + 7) != U':' && charAt(line, start + 8) != U':')
        return fail(rec, CmdStatus::BadCommand);
    const int n = parseNumber(line, start + 6);
    if (!inRange(n, 1, 15)) return fail(rec, CmdStatus::BadParameter);
    rec.label = static_cast<std::uint8_t>(n);
    return succeed(rec, 0);
}

} // namespace veltra
