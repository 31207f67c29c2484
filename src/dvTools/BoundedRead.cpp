#include "dvTools/BoundedRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "dvTools/dvError.h"

namespace {

[[noreturn]] void ThrowCannotOpen(const std::filesystem::path& path, const std::string& reason) {
  throw EDVError("Cannot open file \"" + path.string() + "\". " + reason);
}

std::string SizeText(std::size_t bytes) {
  if (bytes % (std::size_t{1} << 20) == 0) {
    return std::to_string(bytes >> 20) + " MiB (" + std::to_string(bytes) + " bytes)";
  }
  return std::to_string(bytes) + " bytes";
}

}  // namespace

std::string ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes) {
  // Without O_NONBLOCK the open of a pipe waits until someone writes to it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) ThrowCannotOpen(path, SystemReason(errno));
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) ThrowCannotOpen(path, SystemReason(errno));
  if (S_ISDIR(st.st_mode)) ThrowCannotOpen(path, SystemReason(EISDIR));
  if (!S_ISREG(st.st_mode)) ThrowCannotOpen(path, "Not a regular file");
  const std::string tooLarge = "Larger than the limit of " + SizeText(maxBytes);
  if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) ThrowCannotOpen(path, tooLarge);
  // The size may change while we read (or be told as 0, as some system files do): the limit is kept on
  // the bytes actually read.
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EDVError("Stream read error");
    }
    if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) ThrowCannotOpen(path, tooLarge);
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}
