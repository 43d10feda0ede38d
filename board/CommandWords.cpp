#include "board/CommandWords.h"

#include <vector>

namespace veltra {

WordKind kindOf(const isa::Decoded& w) {
    if (!w) return WordKind::Invalid;
    switch (w.family->step) {
    case isa::Step::Object:
        return WordKind::Object;
    case isa::Step::Pause:
        return WordKind::Pause;
    case isa::Step::Condition:
        return WordKind::Condition;
    case isa::Step::Return:
        return WordKind::Return;
    case isa::Step::Prefix:
        return WordKind::Prefix;
    case isa::Step::Jump:
        return WordKind::Jump;
    case isa::Step::Service:
        break;
    }
    return WordKind::Invalid;
}

BoardTime pauseLength(const isa::Decoded& w) {
    return BoardTime(w.operand * w.family->unitMs);
}

int firstUnrunnableWord(std::span<const std::uint16_t> words) {
    const std::size_t size = words.size();
    // Which words a prefix hands on; a forwarded prefix is not a prefix itself.
    std::vector<bool> forwarded(size + 1, false);
    for (std::size_t i = 0; i < size; ++i) {
        if (forwarded[i]) continue;
        if (words[i] == kModulePrefixWord) {
            if (i + 1 >= size) return static_cast<int>(i);
            forwarded[i + 1] = true;
        }
    }
    for (std::size_t i = 0; i < size; ++i) {
        if (forwarded[i]) continue;
        const isa::Decoded w = isa::decode(words[i]);
        const WordKind kind = kindOf(w);
        if (kind == WordKind::Invalid) return static_cast<int>(i);
        if (kind == WordKind::Jump) {
            const std::size_t target = w.target();
            if (target > size || forwarded[target]) return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace veltra
