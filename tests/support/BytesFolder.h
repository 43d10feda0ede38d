#pragma once
// A folder named by bytes that need not be UTF-8 (a name written in
// Windows-1251), made at once and removed with all it holds at the end:
// QTemporaryDir cannot remove an entry whose name Qt cannot decode.

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <system_error>

namespace veltra::test {

class BytesFolder {
  public:
    explicit BytesFolder(std::string path)
        : path_(std::move(path)), made_(::mkdir(path_.c_str(), 0700) == 0) {}
    ~BytesFolder() {
        std::error_code ignored;
        if (made_) std::filesystem::remove_all(path_, ignored);
    }
    BytesFolder(const BytesFolder&) = delete;
    BytesFolder& operator=(const BytesFolder&) = delete;

    bool made() const { return made_; }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
    bool made_;
};

} // namespace veltra::test
