#include "link/LinkDisplay.h"

namespace veltra {

std::optional<QString> LinkPanelText(std::int32_t linkCountdown, int tickCount, std::int32_t ioCount) {
    if (linkCountdown > 0)
        return QString::asprintf("СВЯЗЬ-ОК  ( I/O count: %06ld )", static_cast<long>(ioCount));
    if (tickCount == 5) return QStringLiteral("       НЕТ СВЯЗИ !!!    ");
    if (tickCount == 9) return QString();
    return std::nullopt;
}

} // namespace veltra
