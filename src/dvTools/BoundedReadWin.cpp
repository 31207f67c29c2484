// The bounded reader on Windows: the same checks as elsewhere, through the C library's UTF-16 calls.

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>

#include "dvTools/BoundedRead.h"
#include "dvTools/Utf8Path.h"
#include "dvTools/dvError.h"

namespace {

[[noreturn]] void ThrowCannotOpen(const std::filesystem::path& path, const std::string& reason) {
  throw EDVError("Cannot open file \"" + Utf8FromPath(path) + "\". " + reason);
}

std::string SizeText(std::size_t bytes) {
  if (bytes % (std::size_t{1} << 20) == 0) {
    return std::to_string(bytes >> 20) + " MiB (" + std::to_string(bytes) + " bytes)";
  }
  return std::to_string(bytes) + " bytes";
}

}  // namespace

std::string ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes) {
  // Windows refuses to open a folder as a file ("Permission denied"): say what it is instead.
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (!ec && std::filesystem::is_directory(status)) ThrowCannotOpen(path, SystemReason(EISDIR));
  const int fd = ::_wopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  if (fd < 0) ThrowCannotOpen(path, SystemReason(errno));
  struct Closer {
    int fd;
    ~Closer() { ::_close(fd); }
  } closer{fd};
  struct _stat64 st {};
  if (::_fstat64(fd, &st) != 0) ThrowCannotOpen(path, SystemReason(errno));
  if ((st.st_mode & _S_IFMT) != _S_IFREG) ThrowCannotOpen(path, "Not a regular file");
  const std::string tooLarge = "Larger than the limit of " + SizeText(maxBytes);
  if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) ThrowCannotOpen(path, tooLarge);
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[1 << 16];
  for (;;) {
    const int n = ::_read(fd, buffer, sizeof buffer);
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
