#pragma once
// The program list: the program's lines in order, each an 8-bit GBK text without its line break.
// The lines do not pile up in memory: each goes straight to a sink as it is appended. The file sink
// streams them (each followed by CR LF) into a temporary file that only replaces the target on Save,
// so an existing file stays as it was until the whole program exists.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class AtomicFileWriter;

// Where the lines of a program go. A sink may throw from AddLine to stop a run (an error, a cancel);
// nothing is then saved.
class TGCodeSink {
 public:
  virtual ~TGCodeSink() = default;
  // One line, without its CR LF.
  virtual void AddLine(std::string_view line) = 0;
  // Layer `layer` begins (2 for the second): the lines that follow, its mark first, are of that layer.
  virtual void BeginLayer(int layer) { (void)layer; }
  // The whole program has been appended.
  virtual void Save() {}
};

// Streams the program to a file through the project's safe file writer. The lines are gathered in blocks;
// a thread of the sink's own writes each full block while the next one is being built, so formatting and
// writing overlap. A write failure is raised by the next block's hand-over, Finish or Save.
class TGCodeFileSink final : public TGCodeSink {
 public:
  // Raises EDVError "Cannot create file ..." when the target cannot be written.
  explicit TGCodeFileSink(const std::filesystem::path& target);
  // Streams to an open descriptor (standard output), which stays open; `name` stands for it in messages.
  TGCodeFileSink(int descriptor, std::string name);
  ~TGCodeFileSink() override;
  void AddLine(std::string_view line) override;
  // Writes what is left and syncs it, without replacing the target yet: the last step that may fail
  // with "Stream write error" (EStreamWriteError).
  void Finish();
  // Finishes, then puts the file in the target's place. Raises EDVError "Stream write error".
  void Save() override;

 private:
  // Hands the gathered lines to the writing thread, once it is done with the block before.
  void Flush();
  // Waits until the writing thread has written its block; raises its failure.
  void WaitIdle();

  struct TBackground;
  std::unique_ptr<AtomicFileWriter> writer_;
  std::unique_ptr<char[]> buffer_, spare_;
  std::size_t used_ = 0;
  std::unique_ptr<TBackground> background_;  // after writer_: stopped before the writer goes
};

// Keeps the lines in memory: for tests and small jobs.
class TGCodeMemorySink final : public TGCodeSink {
 public:
  void AddLine(std::string_view line) override { lines_.emplace_back(line); }
  [[nodiscard]] const std::vector<std::string>& Lines() const { return lines_; }
  // The bytes of the file these lines make: every line followed by CR LF.
  [[nodiscard]] std::string Text() const;

 private:
  std::vector<std::string> lines_;
};

// Told of every move as the emitters write it: g 0 (rapid) or 1 (feed), the axes the line names, NaN for
// the others. What the moves sweep can be worked out without reading the lines back.
class TMoveObserver {
 public:
  virtual ~TMoveObserver() = default;
  virtual void Move(int g, double x, double y, double z) = 0;
};

class TGCodeFile {
 public:
  explicit TGCodeFile(TGCodeSink& sink, TMoveObserver* observer = nullptr)
      : sink_(&sink), observer_(observer) {}
  TGCodeFile(const TGCodeFile&) = delete;
  TGCodeFile& operator=(const TGCodeFile&) = delete;

  void Add(std::string_view line) {
    ++count_;
    sink_->AddLine(line);
  }
  void BeginLayer(int layer) { sink_->BeginLayer(layer); }
  void Observe(int g, double x, double y, double z) {
    if (observer_) observer_->Move(g, x, y, z);
  }
  void Save() { sink_->Save(); }
  [[nodiscard]] std::uint64_t Count() const { return count_; }
  // While set, the emitters write every X they are given as Y and every Y as X: a strategy's moves
  // mirrored about the diagonal through the start corner, which reverses the way they turn.
  void SetAxesSwapped(bool swapped) { swapped_ = swapped; }
  [[nodiscard]] bool AxesSwapped() const { return swapped_; }
  // The emitters write every X and Y this much less than they are given: the strategies cut a face grown
  // by the overcut on every side, whose corner lies at (-offset, -offset) of the real one (see DoLayer).
  void SetOffset(double offset) { offset_ = offset; }
  [[nodiscard]] double Offset() const { return offset_; }

 private:
  TGCodeSink* sink_;
  TMoveObserver* observer_;
  bool swapped_ = false;
  double offset_ = 0;
  std::uint64_t count_ = 0;
};
