#include "dvTools/AtomicFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

#include "dvTools/dvError.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBlockSize = 1 << 20;  // large blocks keep the number of system calls small
constexpr std::size_t kDirectWriteSize = 1 << 16;

fs::path FullPath(const fs::path& p) {
  std::error_code ec;
  fs::path full = fs::absolute(p, ec);
  return ec ? p : full.lexically_normal();
}

// The system's text for an error, without the trailing full stops, blanks and line breaks that some
// systems add, so the message reads as one sentence.
std::string SystemReason(int error_number) {
  std::string reason = std::strerror(error_number);
  while (!reason.empty() &&
         (reason.back() == '.' || reason.back() == ' ' || reason.back() == '\r' || reason.back() == '\n')) {
    reason.pop_back();
  }
  return reason;
}

[[noreturn]] void ThrowStreamWriteError() {
  throw EDVError("Stream write error");
}

fs::path TemporaryNameBeside(const fs::path& target) {
  static std::atomic<unsigned> counter{0};
  static thread_local std::mt19937 random{std::random_device{}()};
  std::string name = "." + target.filename().string() + ".tmp" + std::to_string(::getpid()) + "-" +
                     std::to_string(counter++) + "-" + std::to_string(random() % 1000000);
  return target.parent_path() / name;
}

}  // namespace

std::string CannotCreateFileMessage(const fs::path& target, int error_number) {
  return "Cannot create file \"" + FullPath(target).string() + "\". " + SystemReason(error_number);
}

AtomicFileWriter::AtomicFileWriter(const fs::path& target) : target_(FullPath(target)) {
  // Replacing a link would cut it; write where it points instead.
  std::error_code ec;
  if (fs::is_symlink(target_, ec)) {
    fs::path resolved = fs::weakly_canonical(target_, ec);
    if (!ec) target_ = resolved;
  }

  struct stat st {};
  if (::stat(target_.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) throw EDVError(CannotCreateFileMessage(target_, EISDIR));
    // A file without write permission is read-only to us, even for a superuser who could open it anyway.
    if ((st.st_mode & S_IWUSR) == 0 || ::access(target_.c_str(), W_OK) != 0) {
      throw EDVError(CannotCreateFileMessage(target_, EACCES));
    }
  }

  for (int attempt = 0; attempt < 100; ++attempt) {
    temp_ = TemporaryNameBeside(target_);
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0 || errno != EEXIST) break;
  }
  if (fd_ < 0) {
    const int error_number = errno;
    throw EDVError(CannotCreateFileMessage(target_, error_number));
  }
  buffer_.reserve(kBlockSize);
}

AtomicFileWriter::~AtomicFileWriter() {
  Discard();
}

void AtomicFileWriter::Discard() noexcept {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
    ::unlink(temp_.c_str());
  }
}

void AtomicFileWriter::Write(std::string_view bytes) {
  if (fd_ < 0) ThrowStreamWriteError();
  if (buffer_.size() + bytes.size() > kBlockSize) Flush();
  // A block that is large already goes straight to the file: copying it into the buffer gains nothing.
  if (buffer_.empty() && bytes.size() >= kDirectWriteSize) {
    WriteAll(bytes);
    return;
  }
  buffer_.append(bytes);
}

void AtomicFileWriter::Flush() {
  WriteAll(buffer_);
  buffer_.clear();
}

void AtomicFileWriter::WriteAll(std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd_, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowStreamWriteError();
    }
    p += n;
    left -= static_cast<std::size_t>(n);
    written_ += static_cast<std::size_t>(n);
  }
}

void AtomicFileWriter::Commit() {
  if (fd_ < 0) ThrowStreamWriteError();
  Flush();
  if (::fsync(fd_) != 0) ThrowStreamWriteError();

  // The new file takes the place of the old one with the old one's permissions.
  struct stat st {};
  if (::stat(target_.c_str(), &st) == 0 && ::fchmod(fd_, st.st_mode & 07777) != 0) ThrowStreamWriteError();

  if (::close(fd_) != 0) {
    fd_ = -1;
    ::unlink(temp_.c_str());
    ThrowStreamWriteError();
  }
  fd_ = -1;
  if (::rename(temp_.c_str(), target_.c_str()) != 0) {
    const int error_number = errno;
    ::unlink(temp_.c_str());
    throw EDVError(CannotCreateFileMessage(target_, error_number));
  }
  // Make the rename itself durable.
  const int dir = ::open(target_.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

void WriteFileAtomically(const fs::path& target, std::string_view bytes) {
  AtomicFileWriter writer(target);
  writer.Write(bytes);
  writer.Commit();
}
