#include "jet/File.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "jet/Error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace jet {
namespace {

#ifdef _WIN32

class WindowsFile : public RandomAccessFile {
 public:
  WindowsFile(HANDLE handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  ~WindowsFile() override { CloseHandle(handle_); }

  std::uint64_t Size() const override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_, &size)) throw Error(path_ + ": cannot read the file size");
    return static_cast<std::uint64_t>(size.QuadPart);
  }

  std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t length) const override {
    // An OVERLAPPED offset on a synchronous handle gives a positioned read that does not depend
    // on (or race with) a shared file pointer.
    std::size_t done = 0;
    while (done < length) {
      OVERLAPPED at = {};
      const std::uint64_t position = offset + done;
      at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
      at.OffsetHigh = static_cast<DWORD>(position >> 32);
      DWORD got = 0;
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(length - done, 1u << 30));
      if (!ReadFile(handle_, static_cast<char*>(buffer) + done, want, &got, &at)) {
        if (GetLastError() == ERROR_HANDLE_EOF) break;
        throw Error(path_ + ": read failed at offset " + std::to_string(position));
      }
      if (got == 0) break;
      done += got;
    }
    return done;
  }

 private:
  HANDLE handle_;
  std::string path_;
};

#else

class PosixFile : public RandomAccessFile {
 public:
  PosixFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~PosixFile() override { ::close(fd_); }

  std::uint64_t Size() const override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) throw Error(path_ + ": cannot read the file size: " + std::strerror(errno));
    return static_cast<std::uint64_t>(st.st_size);
  }

  std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t length) const override {
    std::size_t done = 0;
    while (done < length) {
      const ssize_t got = ::pread(fd_, static_cast<char*>(buffer) + done, length - done,
                                  static_cast<off_t>(offset + done));
      if (got < 0) {
        if (errno == EINTR) continue;
        throw Error(path_ + ": read failed at offset " + std::to_string(offset + done) + ": " +
                    std::strerror(errno));
      }
      if (got == 0) break;
      done += static_cast<std::size_t>(got);
    }
    return done;
  }

 private:
  int fd_;
  std::string path_;
};

#endif

class InMemoryFile : public RandomAccessFile {
 public:
  explicit InMemoryFile(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t length) const override {
    if (offset >= bytes_.size()) return 0;
    const std::size_t n = std::min<std::uint64_t>(length, bytes_.size() - offset);
    std::memcpy(buffer, bytes_.data() + offset, n);
    return n;
  }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

std::unique_ptr<RandomAccessFile> OpenFile(const std::string& path) {
#ifdef _WIN32
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    throw Error(path + ": cannot open (Windows error " + std::to_string(GetLastError()) + ")");
  }
  return std::make_unique<WindowsFile>(handle, path);
#else
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw Error(path + ": cannot open: " + std::strerror(errno));
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    throw Error(path + ": is a folder, not a database file");
  }
  return std::make_unique<PosixFile>(fd, path);
#endif
}

std::unique_ptr<RandomAccessFile> MemoryFile(std::vector<std::uint8_t> bytes) {
  return std::make_unique<InMemoryFile>(std::move(bytes));
}

}  // namespace jet
