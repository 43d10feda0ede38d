#pragma once
// One serial device opened the way the board link needs it: exclusively,
// raw 57600 8N1 without flow control, non-blocking. Every failure keeps the
// system's reason so the user can be told what went wrong.

#include <termios.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace veltra {

class SerialDevice {
  public:
    SerialDevice() = default;
    ~SerialDevice();
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;
    // Takes over `other`'s open device (closing the one held so far).
    SerialDevice& operator=(SerialDevice&& other) noexcept;

    // Opens `path` for reading and writing and locks it against every other
    // opener (flock and TIOCEXCL). A lock held elsewhere is a failed open (EBUSY).
    bool openExclusive(const std::string& path);
    // Clears both directions, saves the current line settings and applies the
    // working ones. False when the device refuses them (it stays open).
    bool configure();
    // Restores the saved settings (when there are any) and closes the device.
    void close();

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }

    // Bytes waiting in the receive queue; 0 when the device cannot say (it vanished).
    int bytesWaiting() const;
    // Reads one byte; false when none could be read (nothing there, or the device is gone).
    bool readByte(std::uint8_t& byte) const;
    // Writes all of `data` or stops at the first error; then waits for the
    // output to drain. 0 on success, else the errno of the failure.
    int writeAll(const std::uint8_t* data, std::size_t length) const;

    // The device went away under the open descriptor: the other side hung up
    // (a pulled USB adapter, a closed pseudo-terminal master) or the
    // descriptor is no longer valid. Asks the system without waiting.
    bool hungUp() const;
    // The path it was opened by now leads to another device (a board
    // simulator restarted on the same link, an adapter re-plugged under the
    // same stable name). A path that leads nowhere is not "another device":
    // the descriptor's own hang-up tells whether the old device is gone.
    bool pathNamesAnotherDevice() const;

    // errno of the last failure and its text, for the message shown to the user.
    int lastErrno() const { return lastErrno_; }
    std::string lastReason() const;

  private:
    bool fail(int err);

    int fd_ = -1;
    std::string path_;
    termios savedTermios_{};
    bool haveSaved_ = false;
    int lastErrno_ = 0;
};

// The working line settings applied to `t`: raw 57600 baud, 8 data bits,
// 1 stop bit, no parity, no hardware or software flow control.
void applyLinkSettings(termios& t);

} // namespace veltra
