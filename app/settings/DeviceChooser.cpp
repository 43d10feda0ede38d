#include "app/settings/DeviceChooser.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include "files/ProgramFolder.h"
#include "os/ShownName.h"

namespace veltra {

namespace {

// Room for the frame and a scroll bar beside the widest entry of the popup.
constexpr int kPopupMargin = 40;

// A tooltip that looks like HTML is shown as HTML: a link named "<h1>..."
// would be a heading. Its text is given as escaped HTML instead, so it is
// shown exactly as written, lines kept.
QString plainTip(const QString& text) {
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

} // namespace

DeviceChooser::DeviceChooser(QComboBox& portNames, QComboBox& devices,
                             const std::array<QByteArray, 3>& configured, QStringList boardFolders,
                             QObject* parent)
    : QObject(parent), names_(portNames), devices_(devices), configured_(configured), chosen_(configured),
      boardFolders_(std::move(boardFolders)) {
    QStringList watched = boardFolders_;
    for (const QByteArray& path : configured_)
        watched << QFileInfo(QFile::decodeName(path)).absolutePath();
    watched.removeDuplicates();
    watcher_.setExtraFolders(watched);
    connect(&watcher_, &DeviceWatcher::devicesChanged, this, &DeviceChooser::refresh);
    connect(&names_, &QComboBox::currentIndexChanged, this, &DeviceChooser::fill);
    connect(&devices_, &QComboBox::currentIndexChanged, this, [this](int item) {
        const int name = names_.currentIndex();
        if (filling_ || item < 0 || name < 0 || name >= int(chosen_.size())) return;
        chosen_[std::size_t(name)] = devices_.itemData(item).toByteArray();
        devices_.setToolTip(devices_.itemData(item, Qt::ToolTipRole).toString());
        showHints();
    });
    refresh();
}

void DeviceChooser::startWatching() {
    watcher_.start();
    refresh(); // whatever came or went while nobody watched
}

void DeviceChooser::stopWatching() {
    watcher_.stop();
}

void DeviceChooser::refresh() {
    present_ = listSerialPorts().ports;
    QList<QByteArray> candidates(configured_.begin(), configured_.end());
    candidates.append(QList<QByteArray>(chosen_.begin(), chosen_.end()));
    for (SerialPortInfo& link : findBoardLinks(candidates, boardFolders_)) {
        const bool listed = std::any_of(present_.begin(), present_.end(),
                                        [&](const SerialPortInfo& port) { return port.path == link.path; });
        if (!listed) present_.push_back(std::move(link));
    }
    fill();
}

PortKeys DeviceChooser::changedPorts() const {
    PortKeys changed{};
    for (std::size_t i = 0; i < changed.size(); ++i)
        changed[i] = chosen_[i] != configured_[i];
    return changed;
}

QString DeviceChooser::describeUnlisted(const QByteArray& path) const {
    if (const SerialPortInfo* port = portLeadingTo(present_, path)) return port->description();
    return resolvedNode(path).isEmpty() ? QStringLiteral("нет устройства") : QStringLiteral("задано вручную");
}

void DeviceChooser::showHints() {
    QStringList hints;
    for (int i = 0; i < names_.count() && i < int(chosen_.size()); ++i) {
        const QString line = names_.itemText(i) + QStringLiteral(" = ") + shownName(chosen_[std::size_t(i)]);
        names_.setItemData(i, plainTip(line), Qt::ToolTipRole);
        hints << line;
    }
    names_.setToolTip(plainTip(hints.join(QLatin1Char('\n'))));
}

void DeviceChooser::fill() {
    showHints();
    filling_ = true;
    devices_.clear();
    const int name = names_.currentIndex();
    devices_.setEnabled(name >= 0 && name < int(chosen_.size()));
    if (devices_.isEnabled()) {
        // Names and what a USB device says of itself are anybody's bytes:
        // escaped, a right-to-left override shows as \u202E and reorders nothing.
        auto add = [this](const QString& description, const QByteArray& path) {
            const QString shown = shownName(path);
            devices_.addItem(shownName(description.toUtf8()) + QStringLiteral(" — ") + shown, path);
            devices_.setItemData(devices_.count() - 1, plainTip(shown), Qt::ToolTipRole);
        };
        for (const SerialPortInfo& port : present_)
            add(port.description(), port.path);
        // The board the editor starts itself once this is saved; while it
        // runs, its link is listed above like any running board.
        // Without a runtime folder of the user's own there is no place for its link.
        const QByteArray board = QFile::encodeName(virtualBoardLink());
        if (!board.isEmpty() && devices_.findData(board) < 0) {
            devices_.addItem(QStringLiteral("виртуальная плата"), board);
            devices_.setItemData(
                devices_.count() - 1,
                plainTip(QStringLiteral("редактор запустит veltra-board с окном платы\n") + shownName(board)),
                Qt::ToolTipRole);
        }
        for (const QByteArray& path : {configured_[std::size_t(name)], chosen_[std::size_t(name)]})
            if (devices_.findData(path) < 0) add(describeUnlisted(path), path);
        devices_.setCurrentIndex(devices_.findData(chosen_[std::size_t(name)]));
        devices_.setToolTip(devices_.currentData(Qt::ToolTipRole).toString());
        // The closed list shows the start of an entry; its popup shows them whole.
        int widest = devices_.width();
        for (int i = 0; i < devices_.count(); ++i)
            widest = std::max(widest,
                              devices_.fontMetrics().horizontalAdvance(devices_.itemText(i)) + kPopupMargin);
        devices_.view()->setMinimumWidth(widest);
    }
    filling_ = false;
}

} // namespace veltra
