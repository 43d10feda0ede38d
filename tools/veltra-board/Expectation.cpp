#include "tools/veltra-board/Expectation.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <algorithm>

#include "tools/veltra-board/ScenarioText.h"

namespace veltra::board_sim {

namespace {

using Object = Expectation::Object;

// The colour letters of the language, by colour code; either case, as programs write them.
const QString kColourLetters = QStringLiteral("чкзсжгпфб");

int parseSwitch(const QString& text) {
    const QString t = text.toLower();
    if (t == QLatin1String("1") || t == QStringLiteral("вкл")) return 1;
    if (t == QLatin1String("0") || t == QStringLiteral("выкл")) return 0;
    throw ScenarioFailure{"\"" + text.toStdString() + "\" is not вкл, выкл, 1 or 0"};
}

// "к", "к,15", "5", "выкл": a colour letter or code, and optionally a brightness.
LedExpectation parseLed(const QString& text) {
    const auto m = matchWhole(QStringLiteral(R"((\S+?)\s*(?:,\s*(\d+))?)"), text);
    const QString colour = m.captured(1).toLower();
    const int letter = kColourLetters.indexOf(colour);
    LedExpectation led;
    if (colour.size() == 1 && letter >= 0)
        led.colour = letter;
    else if (colour == QStringLiteral("выкл"))
        led.colour = 0;
    else if (!m.hasMatch() || !colour.front().isDigit())
        throw ScenarioFailure{"\"" + text.toStdString() + "\" is not a colour such as к, к,15 or выкл"};
    else
        led.colour = numberIn(colour, 0, kMaxColour, "colour");
    if (!m.captured(2).isEmpty()) led.brightness = numberIn(m.captured(2), 0, kMaxBrightness, "brightness");
    return led;
}

// One value for one LED or for all; or, for all, thirteen values apart, LED 1 first.
void parseLedValues(const QString& text, Expectation& e) {
    // Blanks after a comma belong to the value ("к, 15").
    const QStringList values =
        QString(text)
            .replace(QRegularExpression(QStringLiteral(R"(\s*,\s*)")), QStringLiteral(","))
            .split(QRegularExpression(QStringLiteral(R"(\s+)")), Qt::SkipEmptyParts);
    if (values.size() == 1) {
        e.leds.fill(parseLed(values[0]));
    } else if (e.object == Object::AllLeds && values.size() == kLedCount) {
        for (int i = 0; i < kLedCount; ++i)
            e.leds[static_cast<std::size_t>(i)] = parseLed(values[i]);
    } else {
        throw ScenarioFailure{e.object == Object::Led
                                  ? "one LED takes one value"
                                  : "свд takes one value for all LEDs or thirteen, LED 1 first"};
    }
}

// "свд_3", "свд", "порт_1", "порт_2.5", "ярк_1", "реле_2", "А", "В".
Expectation parseObject(const QString& text) {
    Expectation e;
    if (text == QStringLiteral("А") || text == QStringLiteral("В")) {
        e.object = text == QStringLiteral("А") ? Object::VarA : Object::VarB;
        return e;
    }
    const auto m = matchWhole(QStringLiteral(R"((свд|порт|ярк|реле)(?:_(\d+)(?:\.(\d+))?)?)"), text);
    const QString name = m.captured(1);
    const bool numbered = !m.captured(2).isEmpty();
    if (!m.hasMatch() || (!numbered && name != QStringLiteral("свд")) ||
        (!m.captured(3).isEmpty() && name != QStringLiteral("порт")))
        throw ScenarioFailure{"\"" + text.toStdString() +
                              "\" is not свд, свд_n, порт_n, порт_n.b, ярк_n, реле_n, А or В"};
    if (name == QStringLiteral("свд")) {
        e.object = numbered ? Object::Led : Object::AllLeds;
        if (numbered) e.index = numberIn(m.captured(2), 1, kLedCount, "LED");
    } else if (name == QStringLiteral("порт")) {
        e.object = m.captured(3).isEmpty() ? Object::Port : Object::PortBit;
        e.index = numberIn(m.captured(2), 1, kPortCount, "port");
        if (e.object == Object::PortBit) e.bit = numberIn(m.captured(3), 1, 8, "bit");
    } else if (name == QStringLiteral("ярк")) {
        e.object = Object::Brightness;
        e.index = numberIn(m.captured(2), 1, kLampPortCount, "port");
    } else {
        e.object = Object::Relay;
        e.index = numberIn(m.captured(2), 1, kRelayCount, "relay");
    }
    return e;
}

void parseValue(const QString& text, Expectation& e) {
    switch (e.object) {
    case Object::Led:
    case Object::AllLeds:
        parseLedValues(text, e);
        break;
    case Object::Port: {
        if (!matchWhole(QStringLiteral("[01]{8}"), text).hasMatch())
            throw ScenarioFailure{"\"" + text.toStdString() + "\" is not eight bits such as 01000000"};
        for (int i = 0; i < 8; ++i) // bit 1 first, as the language writes a port
            if (text[i] == QLatin1Char('1')) e.value |= 1 << i;
        break;
    }
    case Object::PortBit:
    case Object::Relay:
    case Object::Running:
        e.value = parseSwitch(text);
        break;
    case Object::Brightness:
        e.value = numberIn(text, 0, kMaxBrightness, "brightness");
        break;
    case Object::VarA:
    case Object::VarB:
        e.value = numberIn(text, 0, 255, "value");
        break;
    }
}

std::string letterOf(int colour) {
    return kColourLetters.mid(std::min<int>(colour, kMaxColour), 1).toStdString();
}

std::string ledText(const LedState& led) {
    return letterOf(led.colour) + "," + std::to_string(led.brightness);
}

bool ledHolds(const LedState& led, const LedExpectation& e) {
    return led.colour == e.colour && (e.brightness < 0 || led.brightness == e.brightness);
}

std::string onOff(bool on) {
    return on ? "вкл" : "выкл";
}

} // namespace

Expectation parseExpectation(const QString& text) {
    Expectation e;
    if (text == QLatin1String("running") || text == QLatin1String("stopped")) {
        e.object = Object::Running;
        e.value = text == QLatin1String("running");
    } else {
        const qsizetype eq = text.indexOf(QLatin1Char('='));
        if (eq < 0) throw ScenarioFailure{"expect needs OBJECT = VALUE, running or stopped"};
        e = parseObject(text.left(eq).trimmed());
        parseValue(text.mid(eq + 1).trimmed(), e);
    }
    e.written = text.toStdString();
    return e;
}

std::string foundText(const BoardState& s, const Expectation& e, bool& holds) {
    switch (e.object) {
    case Object::Led: {
        const LedState& led = s.leds[static_cast<std::size_t>(e.index - 1)];
        holds = ledHolds(led, e.leds[0]);
        return ledText(led);
    }
    case Object::AllLeds: {
        holds = true;
        for (std::size_t i = 0; i < s.leds.size(); ++i)
            holds = holds && ledHolds(s.leds[i], e.leds[i]);
        // One value when all agree, else all thirteen: either can be pasted back as an expectation.
        if (std::all_of(s.leds.begin(), s.leds.end(), [&](const LedState& led) { return led == s.leds[0]; }))
            return ledText(s.leds[0]);
        std::string all;
        for (const LedState& led : s.leds) {
            if (!all.empty()) all += ' ';
            all += ledText(led);
        }
        return all;
    }
    case Object::Port: {
        const std::uint8_t byte = s.ports[static_cast<std::size_t>(e.index - 1)];
        holds = byte == e.value;
        std::string bits;
        for (int i = 0; i < 8; ++i)
            bits += (byte >> i) & 1 ? '1' : '0';
        return bits;
    }
    case Object::PortBit: {
        const bool on = (s.ports[static_cast<std::size_t>(e.index - 1)] >> (e.bit - 1)) & 1;
        holds = on == (e.value != 0);
        return onOff(on);
    }
    case Object::Brightness: {
        const int v = s.portBrightness[static_cast<std::size_t>(e.index - 1)];
        holds = v == e.value;
        return std::to_string(v);
    }
    case Object::Relay: {
        const bool on = s.relays[static_cast<std::size_t>(e.index - 1)];
        holds = on == (e.value != 0);
        return onOff(on);
    }
    case Object::VarA:
    case Object::VarB: {
        const int v = e.object == Object::VarA ? s.a : s.b;
        holds = v == e.value;
        return std::to_string(v);
    }
    case Object::Running:
        holds = s.running == (e.value != 0);
        return s.running ? "running" : "stopped";
    }
    holds = false;
    return {};
}

} // namespace veltra::board_sim
