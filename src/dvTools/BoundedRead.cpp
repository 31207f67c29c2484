#include "dvTools/BoundedRead.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "dvTools/EscapedText.h"
#include "dvTools/Utf8Path.h"
#include "dvTools/dvError.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// The few calls that differ: the C library's UTF-16 ones on Windows.
#ifdef _WIN32
using TStat = struct _stat64;
int OpenForReading(const std::filesystem::path& path) {
  return ::_wopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}
int StatOf(int fd, TStat& st) {
  return ::_fstat64(fd, &st);
}
bool IsFolder(const TStat& st) {
  return (st.st_mode & _S_IFMT) == _S_IFDIR;
}
bool IsRegular(const TStat& st) {
  return (st.st_mode & _S_IFMT) == _S_IFREG;
}
long long ReadSome(int fd, char* buffer, unsigned size) {
  return ::_read(fd, buffer, size);
}
void Close(int fd) {
  ::_close(fd);
}
#else
using TStat = struct stat;
int OpenForReading(const std::filesystem::path& path) {
  // Without O_NONBLOCK the open of a pipe waits until someone writes to it.
  return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
}
int StatOf(int fd, TStat& st) {
  return ::fstat(fd, &st);
}
bool IsFolder(const TStat& st) {
  return S_ISDIR(st.st_mode);
}
bool IsRegular(const TStat& st) {
  return S_ISREG(st.st_mode);
}
long long ReadSome(int fd, char* buffer, unsigned size) {
  return ::read(fd, buffer, size);
}
void Close(int fd) {
  ::close(fd);
}
#endif

[[noreturn]] void ThrowCannotOpen(const std::filesystem::path& path, TMessageText reason) {
  throw EDVError(MessageOf("FileNotOpened", "Cannot open file \"%1\". %2",
                           {MessageValue(EscapeControlBytes(Utf8FromPath(path))), std::move(reason)}));
}
[[noreturn]] void ThrowCannotOpen(const std::filesystem::path& path, std::string systemReason) {
  ThrowCannotOpen(path, MessageValue(std::move(systemReason)));
}

TMessageText TooLarge(std::size_t bytes) {
  if (bytes % (std::size_t{1} << 20) == 0) {
    return MessageOf("FileLargerThanMiB", "Larger than the limit of %1 MiB (%2 bytes)",
                     {MessageValue(std::to_string(bytes >> 20)), MessageValue(std::to_string(bytes))});
  }
  return MessageOf("FileLargerThan", "Larger than the limit of %1 bytes",
                   {MessageValue(std::to_string(bytes))});
}

}  // namespace

std::string ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes) {
#ifdef _WIN32
  // Windows refuses to open a folder as a file ("Permission denied"): say what it is instead.
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) ThrowCannotOpen(path, SystemReason(EISDIR));
#endif
  const int fd = OpenForReading(path);
  if (fd < 0) ThrowCannotOpen(path, SystemReason(errno));
  struct Closer {
    int fd;
    ~Closer() { Close(fd); }
  } closer{fd};
  TStat st{};
  if (StatOf(fd, st) != 0) ThrowCannotOpen(path, SystemReason(errno));
  if (IsFolder(st)) ThrowCannotOpen(path, SystemReason(EISDIR));
  if (!IsRegular(st)) ThrowCannotOpen(path, MessageOf("FileNotRegular", "Not a regular file"));
  const TMessageText tooLarge = TooLarge(maxBytes);
  if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) ThrowCannotOpen(path, tooLarge);
  // The size may change while we read (or be told as 0, as some system files do): the limit is kept on
  // the bytes actually read.
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[1 << 16];
  for (;;) {
    const long long n = ReadSome(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EDVError(MessageOf("StreamReadError", "Stream read error"));
    }
    if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) ThrowCannotOpen(path, tooLarge);
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}
