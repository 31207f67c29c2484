#pragma once
// The project's one way to write a file: the bytes go to a temporary file in the target's folder,
// which is flushed to disk and then renamed over the target. A crash or a full disk therefore leaves
// either the old file or the new one, never a truncated mix.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

class AtomicFileWriter {
 public:
  // Creates the temporary file. Raises EDVError "Cannot create file \"<full path>\". <reason>" when the
  // target cannot be written (read-only file, missing folder, a folder in its place, no access).
  explicit AtomicFileWriter(const std::filesystem::path& target);
  // Without Commit() the temporary file is removed and the target stays as it was.
  ~AtomicFileWriter();

  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // Appends bytes; they are buffered and written in large blocks. Raises EDVError "Stream write error".
  void Write(std::string_view bytes);
  // Flushes, syncs, gives the file the target's permissions and renames it over the target.
  // Raises EDVError "Stream write error" (the target is then untouched).
  void Commit();

  [[nodiscard]] const std::filesystem::path& Target() const { return target_; }
  [[nodiscard]] std::size_t BytesWritten() const { return written_ + buffer_.size(); }

 private:
  void Flush();
  void WriteAll(std::string_view bytes);
  void Discard() noexcept;

  std::filesystem::path target_;
  std::filesystem::path temp_;
  int fd_ = -1;
  std::string buffer_;
  std::size_t written_ = 0;
};

// Writes the whole of `bytes` to `target` through an AtomicFileWriter.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// The text of "Cannot create file \"%s\". %s" for a path and a system error number.
[[nodiscard]] std::string CannotCreateFileMessage(const std::filesystem::path& target, int error_number);
