// What the safe file writer does alike on every system: its messages and its one buffer. Opening,
// writing out, syncing and putting the file in place are the system's (AtomicFileWriter.cpp for POSIX,
// AtomicFileWriterWin.cpp for Windows).

#include <atomic>
#include <cstring>
#include <random>
#include <string_view>

#include "dvTools/AtomicFileWriter.h"
#include "dvTools/AtomicFileWriterPaths.h"
#include "dvTools/EscapedText.h"
#include "dvTools/Utf8Path.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBlockSize = 1 << 20;  // large blocks keep the number of system calls small
constexpr std::size_t kDirectWriteSize = 1 << 16;

}  // namespace

namespace dvFileWriting {

fs::path FollowLinks(fs::path p) {
  std::error_code ec;
  if (!fs::is_symlink(p, ec)) return p;
  for (int hops = 0; hops < 40; ++hops) {
    if (!fs::is_symlink(p, ec)) break;
    const fs::path to = fs::read_symlink(p, ec);
    if (ec) break;
    p = to.is_absolute() ? to : p.parent_path() / to;
  }
  const fs::path folder = fs::weakly_canonical(p.parent_path(), ec);
  return ec ? FullPath(p) : folder / p.filename();
}

fs::path TemporaryNameBeside(const fs::path& target, std::size_t maxNameUnits, unsigned processId) {
  using TText = fs::path::string_type;
  static std::atomic<unsigned> counter{0};
  static thread_local std::mt19937 random{std::random_device{}() ^ processId};
  constexpr std::string_view kDigits = "0123456789abcdefghijklmnopqrstuvwxyz";
  TText suffix = fs::path(".tmp").native();
  unsigned value = random() ^ (counter++ * 2654435761u);
  for (int i = 0; i < 6; ++i, value /= 36) suffix += static_cast<TText::value_type>(kDigits[value % 36]);
  const TText name = target.filename().native();
  return target.parent_path() /
         (fs::path(".").native() + name.substr(0, maxNameUnits - 1 - suffix.size()) + suffix);
}

TTemporaryNames gTemporaryNames;

int TTemporaryNames::Add(const fs::path& path) {
  const auto& name = path.native();
  if (name.size() >= kPathUnits) return -1;
  for (int i = 0; i < static_cast<int>(std::size(slots_)); ++i) {
    int expected = kFree;
    if (slots_[i].state.compare_exchange_strong(expected, kBusy)) {
      std::char_traits<fs::path::value_type>::copy(slots_[i].path, name.c_str(), name.size() + 1);
      slots_[i].state.store(kHeld);
      return i;
    }
  }
  return -1;
}

void TTemporaryNames::Remove(int& slot) {
  if (slot < 0) return;
  slots_[slot].state.store(kBusy);
  slots_[slot].path[0] = 0;
  slots_[slot].state.store(kFree);
  slot = -1;
}

}  // namespace dvFileWriting

EDVError CannotCreateFileError(const fs::path& target, int error_number) {
  return EDVError(MessageOf("FileNotCreated", "Cannot create file \"%1\". %2",
                            {MessageValue(EscapeControlBytes(Utf8FromPath(dvFileWriting::FullPath(target)))),
                             MessageValue(SystemReason(error_number))}));
}

std::string CannotCreateFileMessage(const fs::path& target, int error_number) {
  return CannotCreateFileError(target, error_number).what();
}

std::string SystemReason(int errorNumber) {
  std::string reason = std::strerror(errorNumber);
  while (!reason.empty() &&
         (reason.back() == '.' || reason.back() == ' ' || reason.back() == '\r' || reason.back() == '\n')) {
    reason.pop_back();
  }
  return reason;
}

EStreamWriteError::EStreamWriteError(fs::path file, int errorNumber)
    : EDVError(MessageOf("StreamWriteError", "Stream write error")),
      file_(std::move(file)),
      errorNumber_(errorNumber) {}

std::string EStreamWriteError::Detail() const {
  return "Cannot write file \"" + EscapeControlBytes(Utf8FromPath(file_)) + "\". " +
         SystemReason(errorNumber_);
}

AtomicFileWriter::~AtomicFileWriter() {
  Discard();
}

void AtomicFileWriter::Fail(int errorNumber) {
  // A write that failed is over: its temporary file goes now, not when the writer goes, so that nobody
  // who looks into the folder after the error (the user, a second try) finds a half file there.
  Discard();
  throw EStreamWriteError(target_, errorNumber);
}

void AtomicFileWriter::Write(std::string_view bytes) {
  if (bytes.empty()) return;
  if (fd_ < 0 || finished_) Fail(EBADF);
  if (buffer_.size() + bytes.size() > kBlockSize) Flush();
  // A block that is large already goes straight to the file: copying it into the buffer gains nothing.
  // Only behind an empty buffer, or it would overtake the bytes waiting there. A caller that gathers its
  // own blocks (the program's file sink) so never has its bytes copied twice, and the buffer here is made
  // only once small pieces come.
  if (buffer_.empty() && bytes.size() >= kDirectWriteSize) {
    WriteAll(bytes);
    return;
  }
  if (buffer_.capacity() < kBlockSize) buffer_.reserve(kBlockSize);
  buffer_.append(bytes);
}

void AtomicFileWriter::Flush() {
  WriteAll(buffer_);
  buffer_.clear();
}

void WriteFileAtomically(const fs::path& target, std::string_view bytes) {
  AtomicFileWriter writer(target);
  writer.Write(bytes);
  writer.Commit();
}
