#pragma once
// The console lines the user sent, for Up and Down: this run's and earlier
// runs', the newest last. The file holds them as UTF-8, one line each, and
// is replaced whole after every new entry, so an interrupted write leaves
// the old list. Editors running side by side share the file: a new entry is
// added to what the file holds then, under a lock, so none erases another's.
// Browsing starts from the text being typed, which Escape (or Down past the
// newest entry) brings back.

#include <QString>
#include <QStringList>
#include <optional>

namespace veltra {

class ConsoleHistory {
  public:
    static constexpr int kLimit = 200;

    // Reads `path` if it exists; an empty path keeps the entries for this
    // run only. A file that cannot be read (or is no regular file) is an
    // empty history.
    explicit ConsoleHistory(QString path);

    // A line that was sent; the same line as the newest entry is not stored
    // twice. Ends browsing. A file that cannot be written is said on
    // standard error (once while it keeps failing); the entries stay for
    // this run.
    void Add(const QString& line);
    const QStringList& Entries() const { return entries_; }

    // Up: the entry before the one shown, or nothing at the oldest. The
    // first step remembers `typed`.
    std::optional<QString> Older(const QString& typed);
    // Down: the entry after the one shown; past the newest, the remembered
    // text, and browsing ends. Nothing when not browsing.
    std::optional<QString> Newer();
    // Escape: the remembered text, and browsing ends. Nothing when not browsing.
    std::optional<QString> Restore();

  private:
    bool browsing() const { return shown_ < entries_.size(); }
    void load();
    void save(const QString& line);

    QString path_;
    QStringList entries_;
    qsizetype shown_ = 0; // the entry shown while browsing; entries_.size() when not
    QString typed_;
    bool saveFailed_ = false;
};

} // namespace veltra
