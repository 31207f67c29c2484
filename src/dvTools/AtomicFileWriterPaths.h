#pragma once
// Inside the safe file writer: the rules both systems' halves share (paths, temporary names, syncs).
// Not for other callers.

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <filesystem>
#include <string>

namespace dvFileWriting {

// The absolute, normalised form of a path (the system's half: Windows keeps device names as they are).
[[nodiscard]] std::filesystem::path FullPath(const std::filesystem::path& p);

// Replacing a link would cut it: the file it names is written instead, also when that does not exist yet.
[[nodiscard]] std::filesystem::path FollowLinks(std::filesystem::path p);

// ".NAME.tmpXXXXXX": hidden, beside the target, and never longer than a name may be (maxNameUnits, in
// the system's path characters), so a target whose own name is at the limit still gets one.
[[nodiscard]] std::filesystem::path TemporaryNameBeside(const std::filesystem::path& target,
                                                        std::size_t maxNameUnits, unsigned processId);

// A sync that a pipe, a terminal, a console or a device cannot do is no failure of the write.
[[nodiscard]] inline bool SyncNotPossible(int errorNumber) {
  return errorNumber == EINVAL || errorNumber == EROFS || errorNumber == ENOTSUP;
}

// The names of the temporary files a stop must remove (a signal on Linux, the console's Ctrl+C on
// Windows), in fixed slots that the system's stop handler may read without taking a lock or memory.
class TTemporaryNames {
 public:
  // The slot now holding `path`, or -1 when every slot is taken or the name is too long for one.
  int Add(const std::filesystem::path& path);
  // Frees the slot, if any, and sets it to -1.
  void Remove(int& slot);
  // Calls remove(name) for each name held; for the stop handler.
  template <typename F>
  void ForEach(F remove) {
    for (auto& slot : slots_)
      if (slot.state.load() == kHeld) remove(slot.path);
  }

 private:
  enum : int { kFree, kBusy, kHeld };
#ifdef _WIN32
  static constexpr std::size_t kPathUnits = 32768;  // the longest path Windows takes
#else
  static constexpr std::size_t kPathUnits = 4096;  // PATH_MAX
#endif
  struct TSlot {
    std::atomic<int> state{kFree};
    std::filesystem::path::value_type path[kPathUnits];
  };
  TSlot slots_[16];
};

// The one table of the process.
extern TTemporaryNames gTemporaryNames;

}  // namespace dvFileWriting
