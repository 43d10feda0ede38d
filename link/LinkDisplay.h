#pragma once
// What status-bar panel 1 shows on a tick of the 100 ms main timer.

#include <QString>

#include <cstdint>
#include <optional>

namespace veltra {

// The new text of panel 1, or nothing when the panel keeps its text. While the
// link is alive it shows the I/O count on every tick; once lost, the warning
// appears at tick 5 and is wiped at tick 9, so it blinks once a second.
std::optional<QString> LinkPanelText(std::int32_t linkCountdown, int tickCount, std::int32_t ioCount);

} // namespace veltra
