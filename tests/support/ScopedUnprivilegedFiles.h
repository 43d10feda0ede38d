#pragma once
// Lets a test running as root see file permissions as an ordinary user would,
// on the calling thread only: the filesystem user id is switched to "nobody"
// (which also drops the capability to override file modes) and restored at
// the end of the scope. Nothing changes for a test that is not root.

#include <sys/fsuid.h>
#include <unistd.h>

namespace veltra::test {

class ScopedUnprivilegedFiles {
  public:
    ScopedUnprivilegedFiles() : wasRoot_(::geteuid() == 0) {
        if (wasRoot_) (void)::setfsuid(kNobody);
    }
    ~ScopedUnprivilegedFiles() {
        if (wasRoot_) (void)::setfsuid(0);
    }
    ScopedUnprivilegedFiles(const ScopedUnprivilegedFiles&) = delete;
    ScopedUnprivilegedFiles& operator=(const ScopedUnprivilegedFiles&) = delete;

  private:
    static constexpr uid_t kNobody = 65534;
    bool wasRoot_;
};

} // namespace veltra::test
