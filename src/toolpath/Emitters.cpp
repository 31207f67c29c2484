#include "toolpath/Emitters.h"

#include <charconv>
#include <cstring>
#include <string_view>

#include "toolpath/NumStr.h"

namespace {

// A line under construction in a fixed buffer: no allocation per move.
class LineBuilder {
 public:
  LineBuilder& Text(std::string_view text) {
    std::memcpy(end_, text.data(), text.size());
    end_ += text.size();
    return *this;
  }
  LineBuilder& Int(long long value) {
    end_ = std::to_chars(end_, end_ + 24, value).ptr;
    return *this;
  }
  LineBuilder& Num(double value) {
    end_ = NumStrTo(end_, value);
    return *this;
  }
  void AppendTo(TGCodeFile& list) const { list.Add(std::string_view(buffer_, end_ - buffer_)); }

 private:
  char buffer_[2 * kNumStrMaxChars + 64];
  char* end_ = buffer_;
};

}  // namespace

void AddMoveX(TGCodeFile& list, int g, double x) {
  LineBuilder().Text("G0").Int(g).Text(" X").Num(x).AppendTo(list);
}

void AddMoveY(TGCodeFile& list, int g, double y) {
  LineBuilder().Text("G0").Int(g).Text(" Y").Num(y).AppendTo(list);
}

void AddMoveXY(TGCodeFile& list, int g, double x, double y) {
  LineBuilder().Text("G0").Int(g).Text(" X").Num(x).Text(" Y").Num(y).AppendTo(list);
}

void AddMoveFZ(TGCodeFile& list, int g, int32_t f, double z) {
  LineBuilder().Text("G0").Int(g).Text(" F").Int(f).Text(" Z").Num(z).AppendTo(list);
}

void AddRetract(const TFacingJob& job, TGCodeFile& list) {
  AddMoveFZ(list, 0, 1000, job.ZUpAbs ? job.ZUp : job.CutZ + job.ZUp);
}
