#pragma once
// The project's one way to write a file: the bytes go to a temporary file in the target's folder,
// which is flushed to disk and then renamed over the target. A crash or a full disk therefore leaves
// either the old file or the new one, never a truncated mix.
//
// On Linux the temporary file has no name until it is complete (O_TMPFILE), so not even a kill or a
// power cut leaves a partial file behind; where the file system cannot do that, it is a hidden
// ".NAME.tmpXXXXXX" beside the target that is removed on SIGINT, SIGTERM, SIGHUP, SIGPIPE and SIGXFSZ as
// well.
//
// A target that is not a regular file (a device, a pipe) is written through, never replaced, and so is
// the file a symbolic link names, also one that does not exist yet. A loop of links is refused.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "dvTools/dvError.h"

// "Stream write error", the text the window shows (key "StreamWriteError"), with the file and the system's
// reason kept for callers that can say more (the command-line tool).
class EStreamWriteError : public EDVError {
 public:
  EStreamWriteError(std::filesystem::path file, int errorNumber);
  [[nodiscard]] const std::filesystem::path& File() const { return file_; }
  [[nodiscard]] int ErrorNumber() const { return errorNumber_; }
  // "Cannot write file \"<path>\". <reason>"
  [[nodiscard]] std::string Detail() const;

 private:
  std::filesystem::path file_;
  int errorNumber_;
};

class AtomicFileWriter {
 public:
  // Creates the temporary file. Raises EDVError "Cannot create file \"<full path>\". <reason>" when the
  // target cannot be written (read-only file, missing folder, a folder in its place, no access, a loop of
  // symbolic links).
  explicit AtomicFileWriter(const std::filesystem::path& target);
  // Writes to an open descriptor (standard output) that stays open; `name` stands for it in messages.
  AtomicFileWriter(int descriptor, std::string name);
  // Without Commit() the temporary file is removed and the target stays as it was.
  ~AtomicFileWriter();

  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // Appends bytes; they are buffered and written in large blocks. Raises EStreamWriteError. After any
  // EStreamWriteError the writer is spent: its temporary file is already gone, the target untouched.
  void Write(std::string_view bytes);
  // Everything that can fail before the target is replaced: writes what is buffered, syncs, and gives the
  // file the target's owner and permissions. Raises EStreamWriteError (the target is then untouched).
  // Several writers of one run call it each before any of them commits.
  void Finish();
  // Finishes when that has not been done, then puts the file in the target's place. Raises
  // EStreamWriteError, or EDVError "Cannot create file ..." when the rename fails; the target is then
  // untouched and no temporary file is left.
  void Commit();

  [[nodiscard]] const std::filesystem::path& Target() const { return target_; }
  [[nodiscard]] std::size_t BytesWritten() const { return written_ + buffer_.size(); }

 private:
  enum class TMode { mUnnamed, mNamed, mDirect, mDescriptor };
  void Flush();
  void WriteAll(std::string_view bytes);
  void Discard() noexcept;
  [[noreturn]] void Fail(int errorNumber);

  std::filesystem::path target_;
  std::filesystem::path temp_;
  TMode mode_ = TMode::mUnnamed;
  int fd_ = -1;
  int cleanupSlot_ = -1;  // where the signal handler finds the temporary file's name
  bool finished_ = false;
  std::string buffer_;
  std::size_t written_ = 0;
};

// Writes the whole of `bytes` to `target` through an AtomicFileWriter.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// "Cannot create file \"%s\". %s" for a path and a system error number: the error, and its text.
[[nodiscard]] EDVError CannotCreateFileError(const std::filesystem::path& target, int error_number);
[[nodiscard]] std::string CannotCreateFileMessage(const std::filesystem::path& target, int error_number);

// Seams for tests: the call that flushes a file to disk (::fsync), and whether the unnamed temporary file
// is tried at all. Each returns what was set before.
using TFileSyncFunction = int (*)(int descriptor);
TFileSyncFunction SetFileSyncForTesting(TFileSyncFunction sync);
bool SetUnnamedTemporaryForTesting(bool allowed);
