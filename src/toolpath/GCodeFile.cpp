#include "toolpath/GCodeFile.h"

#include <cstring>

#include "dvTools/AtomicFileWriter.h"

namespace {
constexpr std::size_t kBufferSize = 1 << 18;  // whole lines are gathered here and handed on in blocks
}

TGCodeFileSink::TGCodeFileSink(const std::filesystem::path& target)
    : writer_(std::make_unique<AtomicFileWriter>(target)), buffer_(std::make_unique<char[]>(kBufferSize)) {}

TGCodeFileSink::TGCodeFileSink(int descriptor, std::string name)
    : writer_(std::make_unique<AtomicFileWriter>(descriptor, std::move(name))),
      buffer_(std::make_unique<char[]>(kBufferSize)) {}

TGCodeFileSink::~TGCodeFileSink() = default;

void TGCodeFileSink::AddLine(std::string_view line) {
  if (used_ + line.size() + 2 > kBufferSize) {
    Flush();
    if (line.size() + 2 > kBufferSize) {
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

void TGCodeFileSink::Flush() {
  if (used_ == 0) return;
  writer_->Write(std::string_view(buffer_.get(), used_));
  used_ = 0;
}

void TGCodeFileSink::Finish() {
  Flush();
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
