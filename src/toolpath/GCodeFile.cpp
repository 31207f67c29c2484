#include "toolpath/GCodeFile.h"

#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>

#include "dvTools/AtomicFileWriter.h"

namespace {
constexpr std::size_t kBufferSize = 1 << 20;  // whole lines are gathered here and handed on in blocks
}

// The writing thread and the one block it may hold.
struct TGCodeFileSink::TBackground {
  std::mutex mutex;
  std::condition_variable changed;
  std::string_view block;  // the block being written; empty when the thread is idle
  bool stop = false;
  std::exception_ptr failure;  // the first write failure; later blocks are dropped
  std::thread thread;

  void Run(AtomicFileWriter& writer) {
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [this] { return stop || !block.empty(); });
      if (block.empty()) return;  // stopped, nothing left
      const std::string_view bytes = block;
      const bool failed = failure != nullptr;
      lock.unlock();
      std::exception_ptr error;
      if (!failed) {
        try {
          writer.Write(bytes);
        } catch (...) {
          error = std::current_exception();
        }
      }
      lock.lock();
      if (error) failure = error;
      block = {};
      changed.notify_all();
    }
  }
};

TGCodeFileSink::TGCodeFileSink(const std::filesystem::path& target)
    : writer_(std::make_unique<AtomicFileWriter>(target)),
      buffer_(std::make_unique<char[]>(kBufferSize)),
      spare_(std::make_unique<char[]>(kBufferSize)),
      background_(std::make_unique<TBackground>()) {
  background_->thread = std::thread([this] { background_->Run(*writer_); });
}

TGCodeFileSink::TGCodeFileSink(int descriptor, std::string name)
    : writer_(std::make_unique<AtomicFileWriter>(descriptor, std::move(name))),
      buffer_(std::make_unique<char[]>(kBufferSize)),
      spare_(std::make_unique<char[]>(kBufferSize)),
      background_(std::make_unique<TBackground>()) {
  background_->thread = std::thread([this] { background_->Run(*writer_); });
}

TGCodeFileSink::~TGCodeFileSink() {
  {
    const std::lock_guard lock(background_->mutex);
    background_->stop = true;
  }
  background_->changed.notify_all();
  background_->thread.join();
}

void TGCodeFileSink::AddLine(std::string_view line) {
  if (used_ + line.size() + 2 > kBufferSize) {
    Flush();
    if (line.size() + 2 > kBufferSize) {
      WaitIdle();
      writer_->Write(line);
      writer_->Write("\r\n");
      return;
    }
  }
  std::memcpy(buffer_.get() + used_, line.data(), line.size());
  used_ += line.size();
  buffer_[used_++] = '\r';
  buffer_[used_++] = '\n';
}

void TGCodeFileSink::WaitIdle() {
  std::unique_lock lock(background_->mutex);
  background_->changed.wait(lock, [this] { return background_->block.empty(); });
  if (background_->failure) std::rethrow_exception(background_->failure);
}

void TGCodeFileSink::Flush() {
  if (used_ == 0) return;
  WaitIdle();
  {
    const std::lock_guard lock(background_->mutex);
    background_->block = std::string_view(buffer_.get(), used_);
  }
  background_->changed.notify_all();
  std::swap(buffer_, spare_);  // the thread writes from the other buffer now
  used_ = 0;
}

void TGCodeFileSink::Finish() {
  Flush();
  WaitIdle();
  writer_->Finish();
}

void TGCodeFileSink::Save() {
  Finish();
  writer_->Commit();
}

std::string TGCodeMemorySink::Text() const {
  std::string text;
  for (const auto& line : lines_) {
    text += line;
    text += "\r\n";
  }
  return text;
}
