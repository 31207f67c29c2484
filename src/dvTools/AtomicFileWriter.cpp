#include "dvTools/AtomicFileWriter.h"
#include "dvTools/AtomicFileWriterPaths.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <random>
#include <system_error>

namespace fs = std::filesystem;
using dvFileWriting::FollowLinks;
using dvFileWriting::FullPath;
using dvFileWriting::SyncNotPossible;
using dvFileWriting::TemporaryNameBeside;

namespace {

constexpr std::size_t kWritebackSize = 1 << 19;  // blocks of this size start their disk writes at once
constexpr std::size_t kMaxNameBytes = NAME_MAX;

std::atomic<TFileSyncFunction> gSync{&::fsync};
std::atomic<bool> gUnnamedAllowed{true};

// Named temporary files are removed when the process is told to stop, or is stopped by the file size
// limit it ran into while writing; the handler only unlinks, which is safe in a signal handler.
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ};

extern "C" void RemoveTemporariesAndStop(int signal_number) {
  dvFileWriting::gTemporaryNames.ForEach([](const char* path) { ::unlink(path); });
  // The handler was reset to the default on entry: the signal now ends the process as it would have.
  ::raise(signal_number);
}

void InstallCleanupHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int s : kCleanupSignals) {
      struct sigaction old {};
      if (::sigaction(s, nullptr, &old) != 0) continue;
      // A program that ignores or handles the signal itself keeps its way.
      if ((old.sa_flags & SA_SIGINFO) != 0 || old.sa_handler != SIG_DFL) continue;
      struct sigaction action {};
      action.sa_handler = RemoveTemporariesAndStop;
      sigemptyset(&action.sa_mask);
      action.sa_flags = SA_RESETHAND;
      ::sigaction(s, &action, nullptr);
    }
  });
}

int RegisterTemporary(const fs::path& path) {
  InstallCleanupHandlers();
  return dvFileWriting::gTemporaryNames.Add(path);
}

}  // namespace

namespace dvFileWriting {

fs::path FullPath(const fs::path& p) {
  std::error_code ec;
  fs::path full = fs::absolute(p, ec);
  return ec ? p : full.lexically_normal();
}

}  // namespace dvFileWriting

TFileSyncFunction SetFileSyncForTesting(TFileSyncFunction sync) {
  return gSync.exchange(sync ? sync : &::fsync);
}

bool SetUnnamedTemporaryForTesting(bool allowed) {
  return gUnnamedAllowed.exchange(allowed);
}

AtomicFileWriter::AtomicFileWriter(const fs::path& target) : target_(FollowLinks(FullPath(target))) {
  struct stat st {};
  const bool exists = ::stat(target_.c_str(), &st) == 0;
  // A target we cannot even look at is not replaced: a loop of links (ELOOP), which the rename would
  // otherwise cut and put a regular file in its place, a name too long, a folder we may not search.
  if (!exists && errno != ENOENT) {
    const int error_number = errno;
    throw CannotCreateFileError(target_, error_number);
  }
  if (exists) {
    if (S_ISDIR(st.st_mode)) throw CannotCreateFileError(target_, EISDIR);
    // A file without write permission is read-only to us, even for a superuser who could open it anyway.
    if ((st.st_mode & S_IWUSR) == 0 || ::access(target_.c_str(), W_OK) != 0) {
      throw CannotCreateFileError(target_, EACCES);
    }
  }

  // A device or a pipe is written through: renaming a file over /dev/null would replace the device.
  if (exists && !S_ISREG(st.st_mode)) {
    mode_ = TMode::mDirect;
    fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) {
      const int error_number = errno;
      throw CannotCreateFileError(target_, error_number);
    }
    return;
  }

  if (gUnnamedAllowed.load()) {
    fd_ = ::open(target_.parent_path().c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      mode_ = TMode::mUnnamed;
      return;
    }
  }
  mode_ = TMode::mNamed;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp_ = TemporaryNameBeside(target_, kMaxNameBytes, static_cast<unsigned>(::getpid()));
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0 || errno != EEXIST) break;
  }
  if (fd_ < 0) {
    const int error_number = errno;
    throw CannotCreateFileError(target_, error_number);
  }
  // The name is known to the signal handler from now until the writer is done with it.
  cleanupSlot_ = RegisterTemporary(temp_);
}

AtomicFileWriter::AtomicFileWriter(int descriptor, std::string name)
    : target_(std::move(name)), mode_(TMode::mDescriptor), fd_(descriptor) {}

void AtomicFileWriter::Discard() noexcept {
  if (fd_ >= 0 && mode_ != TMode::mDescriptor) ::close(fd_);
  fd_ = -1;
  if (mode_ == TMode::mNamed && !temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();  // removed once: the name may be another writer's by the next call
  dvFileWriting::gTemporaryNames.Remove(cleanupSlot_);
}

void AtomicFileWriter::WriteAll(std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd_, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    }
    p += n;
    left -= static_cast<std::size_t>(n);
    written_ += static_cast<std::size_t>(n);
  }
  // Start the disk writes of what is in the file now, without waiting for them: they then run while the
  // caller builds the next block, and the sync at the end finds little left to do. Only a hint: where it
  // is not possible (a pipe, a file system without it) nothing changes.
  if (mode_ != TMode::mDescriptor && bytes.size() >= kWritebackSize && written_ >= bytes.size())
    (void)::sync_file_range(fd_, static_cast<off64_t>(written_ - bytes.size()),
                            static_cast<off64_t>(bytes.size()), SYNC_FILE_RANGE_WRITE);
}

void AtomicFileWriter::Finish() {
  if (finished_) return;
  if (fd_ < 0) Fail(EBADF);
  Flush();
  if (gSync.load()(fd_) != 0) {
    const int error_number = errno;
    if (mode_ == TMode::mUnnamed || mode_ == TMode::mNamed || !SyncNotPossible(error_number)) {
      Fail(error_number);
    }
  }
  if (mode_ == TMode::mUnnamed || mode_ == TMode::mNamed) {
    // The new file takes the place of the old one with the old one's owner, group and permissions, as
    // far as we may set them (the owner needs privileges; then at least the group). Permissions last:
    // changing the owner clears the set-user-ID bit.
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0) {
      if (::fchown(fd_, st.st_uid, st.st_gid) != 0) (void)::fchown(fd_, static_cast<uid_t>(-1), st.st_gid);
      if (::fchmod(fd_, st.st_mode & 07777) != 0) Fail(errno);
    }
  }
  finished_ = true;
}

void AtomicFileWriter::Commit() {
  Finish();
  if (mode_ == TMode::mDirect || mode_ == TMode::mDescriptor) {
    if (mode_ == TMode::mDirect && ::close(fd_) != 0) {
      fd_ = -1;
      Fail(errno);
    }
    fd_ = -1;
    return;
  }
  if (mode_ == TMode::mUnnamed) {
    // The complete file gets a name only now, for the moment until the rename.
    for (int attempt = 0; attempt < 100; ++attempt) {
      temp_ = TemporaryNameBeside(target_, kMaxNameBytes, static_cast<unsigned>(::getpid()));
      const std::string self = "/proc/self/fd/" + std::to_string(fd_);
      cleanupSlot_ = RegisterTemporary(temp_);
      int linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp_.c_str(), AT_SYMLINK_FOLLOW);
      if (linked != 0 && errno == ENOENT) linked = ::linkat(fd_, "", AT_FDCWD, temp_.c_str(), AT_EMPTY_PATH);
      if (linked == 0) break;
      const int error_number = errno;
      dvFileWriting::gTemporaryNames.Remove(cleanupSlot_);
      temp_.clear();
      if (error_number != EEXIST) {
        Discard();
        throw CannotCreateFileError(target_, error_number);
      }
    }
    if (temp_.empty()) {
      Discard();
      throw CannotCreateFileError(target_, EEXIST);
    }
    mode_ = TMode::mNamed;  // from here on a failure removes the name again
  }
  if (::close(fd_) != 0) {
    const int error_number = errno;
    fd_ = -1;
    Discard();
    Fail(error_number);
  }
  fd_ = -1;
  if (::rename(temp_.c_str(), target_.c_str()) != 0) {
    const int error_number = errno;
    Discard();
    throw CannotCreateFileError(target_, error_number);
  }
  temp_.clear();
  dvFileWriting::gTemporaryNames.Remove(cleanupSlot_);
  // Make the rename itself durable.
  const int dir = ::open(target_.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    (void)gSync.load()(dir);
    ::close(dir);
  }
}
