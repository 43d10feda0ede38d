#pragma once
// The board's end of a pseudo-terminal pair, and the symlink that gives the
// other end a fixed name.

#include <string>

namespace veltra::board_sim {

class PtyEndpoint {
  public:
    PtyEndpoint() = default;
    ~PtyEndpoint();
    PtyEndpoint(const PtyEndpoint&) = delete;
    PtyEndpoint& operator=(const PtyEndpoint&) = delete;

    // Opens the pair with raw line settings; false with `error` set on failure.
    bool open(std::string& error);
    // Points `path` at the slave. An existing symlink there (left by an
    // earlier run) is replaced; anything else at `path` is left alone and
    // refused. No other name is ever removed or overwritten.
    bool link(const std::string& path, std::string& error);
    // Removes the symlink if it still points at this pair's slave.
    void unlink();

    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

  private:
    // A new symlink to the slave beside `path`, under a name no file had.
    bool linkUnderFreshName(const std::string& path, std::string& temp, std::string& error) const;

    int master_ = -1;
    std::string slavePath_;
    std::string linkPath_;
};

} // namespace veltra::board_sim
