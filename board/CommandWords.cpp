#include "board/CommandWords.h"

#include <vector>

namespace veltra {

std::optional<isa::Step> stepOf(const isa::Decoded& w) {
    if (!w || w.family->step == isa::Step::Service) return std::nullopt;
    return w.family->step;
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
        const std::optional<isa::Step> step = stepOf(w);
        if (!step) return static_cast<int>(i);
        if (step == isa::Step::Jump) {
            const std::size_t target = w.target();
            if (target > size || forwarded[target]) return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace veltra
