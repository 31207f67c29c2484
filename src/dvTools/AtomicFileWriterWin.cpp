// The safe file writer on Windows. The bytes go to a temporary ".NAME.tmpXXXXXX" beside the target,
// which is flushed to disk and then moved over the target in one step (MoveFileExW with
// MOVEFILE_REPLACE_EXISTING and MOVEFILE_WRITE_THROUGH), so a crash or a full disk leaves either the old
// file or the new one. Ctrl+C, Ctrl+Break and closing the console remove the temporary file. A target
// that is no regular file (a device such as NUL) is written through, never replaced. File names are
// UTF-8 and reach the system as UTF-16.

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <random>

#include "dvTools/AtomicFileWriter.h"
#include "dvTools/AtomicFileWriterPaths.h"
#include "dvTools/Utf8Path.h"
#include "dvTools/WindowsText.h"

namespace fs = std::filesystem;
using dvFileWriting::FollowLinks;
using dvFileWriting::FullPath;
using dvFileWriting::SyncNotPossible;
using dvFileWriting::TemporaryNameBeside;

namespace {

constexpr std::size_t kMaxNameUnits = 255;  // UTF-16 units of one name on NTFS and FAT

// The C library's descriptor flushed to disk: 0, or -1 with errno set.
int FlushToDisk(int descriptor) {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(descriptor));
  if (handle == INVALID_HANDLE_VALUE) {
    errno = EBADF;
    return -1;
  }
  // A console, a pipe or a device such as NUL has nothing to put on a disk.
  if (::GetFileType(handle) != FILE_TYPE_DISK) return 0;
  if (::FlushFileBuffers(handle)) return 0;
  const DWORD error = ::GetLastError();
  // A console or a pipe cannot be flushed; that is no failure of the write (see SyncNotPossible).
  errno =
      error == ERROR_INVALID_HANDLE || error == ERROR_INVALID_FUNCTION ? EINVAL : ErrnoOfSystemError(error);
  return -1;
}

std::atomic<TFileSyncFunction> gSync{&FlushToDisk};

// The device a name stands for ("NUL", "CON", "COM1", also with a folder before them): "\\.\NUL".
// Empty for every other name.
std::wstring DeviceName(const fs::path& p) {
  wchar_t full[MAX_PATH];
  const DWORD n = ::GetFullPathNameW(p.c_str(), MAX_PATH, full, nullptr);
  if (n < 4 || n >= MAX_PATH || std::wstring_view(full, 4) != L"\\\\.\\") return {};
  return std::wstring(full, n);
}

// Named temporary files are removed when the console tells the process to stop. The handler runs on a
// thread of its own.

BOOL WINAPI RemoveTemporaries(DWORD) {
  dvFileWriting::gTemporaryNames.ForEach([](const wchar_t* path) { ::DeleteFileW(path); });
  return FALSE;  // the next handler, in the end the system's, ends the process as it would have
}

int RegisterTemporary(const fs::path& path) {
  static std::once_flag once;
  std::call_once(once, [] { ::SetConsoleCtrlHandler(RemoveTemporaries, TRUE); });
  return dvFileWriting::gTemporaryNames.Add(path);
}

}  // namespace

namespace dvFileWriting {

fs::path FullPath(const fs::path& p) {
  const std::wstring device = DeviceName(p);
  if (!device.empty()) return device;  // normalising would cut "\\.\" down to a folder
  std::error_code ec;
  fs::path full = fs::absolute(p, ec);
  return ec ? p : full.lexically_normal();
}

}  // namespace dvFileWriting

TFileSyncFunction SetFileSyncForTesting(TFileSyncFunction sync) {
  return gSync.exchange(sync ? sync : &FlushToDisk);
}

// There is no unnamed temporary file on Windows; the setting is kept for the tests' sake.
bool SetUnnamedTemporaryForTesting(bool allowed) {
  static std::atomic<bool> unnamed{true};
  return unnamed.exchange(allowed);
}

AtomicFileWriter::AtomicFileWriter(const fs::path& target) : target_(FollowLinks(FullPath(target))) {
  // A device is written through: moving a file over it would fail or replace it.
  if (!DeviceName(target).empty()) {
    mode_ = TMode::mDirect;
    fd_ = ::_wopen(target_.c_str(), _O_WRONLY | _O_BINARY | _O_NOINHERIT);
    if (fd_ < 0) {
      const int error_number = errno;
      throw CannotCreateFileError(target_, error_number);
    }
    return;
  }
  std::error_code ec;
  const fs::file_status status = fs::status(target_, ec);
  const bool exists = !ec && fs::exists(status);
  if (exists) {
    if (fs::is_directory(status)) throw CannotCreateFileError(target_, EISDIR);
    const DWORD attributes = ::GetFileAttributesW(target_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
      throw CannotCreateFileError(target_, EACCES);
  }

  // Anything else that is no regular file is written through as well.
  if (exists && !fs::is_regular_file(status)) {
    mode_ = TMode::mDirect;
    fd_ = ::_wopen(target_.c_str(), _O_WRONLY | _O_BINARY | _O_NOINHERIT);
    if (fd_ < 0) {
      const int error_number = errno;
      throw CannotCreateFileError(target_, error_number);
    }
    return;
  }

  mode_ = TMode::mNamed;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp_ = TemporaryNameBeside(target_, kMaxNameUnits, static_cast<unsigned>(::GetCurrentProcessId()));
    fd_ = ::_wopen(temp_.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                   _S_IREAD | _S_IWRITE);
    if (fd_ >= 0 || errno != EEXIST) break;
  }
  if (fd_ < 0) {
    const int error_number = errno;
    temp_.clear();
    throw CannotCreateFileError(target_, error_number);
  }
  cleanupSlot_ = RegisterTemporary(temp_);
}

AtomicFileWriter::AtomicFileWriter(int descriptor, std::string name)
    : target_(PathFromUtf8(name)), mode_(TMode::mDescriptor), fd_(descriptor) {
  // CR LF stays CR LF: the C library would otherwise turn each LF of a text-mode descriptor into CR LF.
  (void)::_setmode(fd_, _O_BINARY);
}

void AtomicFileWriter::Discard() noexcept {
  if (fd_ >= 0 && mode_ != TMode::mDescriptor) ::_close(fd_);
  fd_ = -1;
  if (mode_ == TMode::mNamed && !temp_.empty()) ::DeleteFileW(temp_.c_str());
  temp_.clear();  // removed once: the name may be another writer's by the next call
  dvFileWriting::gTemporaryNames.Remove(cleanupSlot_);
}

void AtomicFileWriter::WriteAll(std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(left, std::size_t{1} << 30));
    const int n = ::_write(fd_, p, chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    }
    // A full disk may take part of a block and then nothing: that is no progress.
    if (n == 0) Fail(ENOSPC);
    p += n;
    left -= static_cast<std::size_t>(n);
    written_ += static_cast<std::size_t>(n);
  }
}

void AtomicFileWriter::Finish() {
  if (finished_) return;
  if (fd_ < 0) Fail(EBADF);
  Flush();
  if (gSync.load()(fd_) != 0) {
    const int error_number = errno;
    if (mode_ == TMode::mNamed || !SyncNotPossible(error_number)) Fail(error_number);
  }
  finished_ = true;
}

void AtomicFileWriter::Commit() {
  Finish();
  if (mode_ == TMode::mDirect || mode_ == TMode::mDescriptor) {
    if (mode_ == TMode::mDirect && ::_close(fd_) != 0) {
      fd_ = -1;
      Fail(errno);
    }
    fd_ = -1;
    return;
  }
  if (::_close(fd_) != 0) {
    const int error_number = errno;
    fd_ = -1;
    Discard();
    Fail(error_number);
  }
  fd_ = -1;
  // One step, on disk before it returns; the old file's name now holds the new bytes.
  if (!::MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const int error_number = ErrnoOfSystemError(::GetLastError());
    Discard();
    throw CannotCreateFileError(target_, error_number);
  }
  temp_.clear();
  dvFileWriting::gTemporaryNames.Remove(cleanupSlot_);
}
