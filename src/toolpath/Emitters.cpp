#include "toolpath/Emitters.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <utility>

#include "toolpath/NumStr.h"
#include "toolpath/RapidPlan.h"

namespace {

// A line under construction in a fixed buffer: no allocation per move.
class LineBuilder {
 public:
  // User-provided, so that LineBuilder() does not zero the whole buffer first.
  LineBuilder() noexcept : end_(buffer_) {}

  // Fixed texts have their length known at compile time, so copying them is a few stores.
  template <std::size_t N>
  LineBuilder& Text(const char (&text)[N]) {
    std::memcpy(end_, text, N - 1);
    end_ += N - 1;
    return *this;
  }
  LineBuilder& Int(long long value) {
    if (value >= 0 && value <= 9) {  // the motion code: always 0 or 1
      *end_++ = static_cast<char>('0' + value);
    } else {
      end_ = std::to_chars(end_, end_ + 24, value).ptr;
    }
    return *this;
  }
  LineBuilder& Num(double value) {
    end_ = NumStrTo(end_, value);
    return *this;
  }
  void AppendTo(TGCodeFile& list) const {
    list.Add(std::string_view(buffer_, static_cast<std::size_t>(end_ - buffer_)));
  }

 private:
  char buffer_[2 * kNumStrMaxChars + 64];
  char* end_;
};

// Subtracting an offset of +0 keeps every value as it is, a negative zero included.
void WriteX(TGCodeFile& list, int g, double x) {
  x -= list.Offset();
  LineBuilder().Text("G0").Int(g).Text(" X").Num(x).AppendTo(list);
  list.Observe(g, x, NAN, NAN);
}

void WriteY(TGCodeFile& list, int g, double y) {
  y -= list.Offset();
  LineBuilder().Text("G0").Int(g).Text(" Y").Num(y).AppendTo(list);
  list.Observe(g, NAN, y, NAN);
}

}  // namespace

void AddMoveX(TGCodeFile& list, int g, double x) {
  list.AxesSwapped() ? WriteY(list, g, x) : WriteX(list, g, x);
}

void AddMoveY(TGCodeFile& list, int g, double y) {
  list.AxesSwapped() ? WriteX(list, g, y) : WriteY(list, g, y);
}

void AddMoveXY(TGCodeFile& list, int g, double x, double y) {
  if (list.AxesSwapped()) std::swap(x, y);
  x -= list.Offset();
  y -= list.Offset();
  LineBuilder().Text("G0").Int(g).Text(" X").Num(x).Text(" Y").Num(y).AppendTo(list);
  list.Observe(g, x, y, NAN);
}

void AddMoveXYZ(TGCodeFile& list, int g, double x, double y, double z) {
  x -= list.Offset();
  y -= list.Offset();
  LineBuilder().Text("G0").Int(g).Text(" X").Num(x).Text(" Y").Num(y).Text(" Z").Num(z).AppendTo(list);
  list.Observe(g, x, y, z);
}

void AddMoveFZ(TGCodeFile& list, int g, int32_t f, double z) {
  LineBuilder().Text("G0").Int(g).Text(" F").Int(f).Text(" Z").Num(z).AppendTo(list);
  list.Observe(g, NAN, NAN, z);
}

void AddRetract(const TFacingJob& job, TGCodeFile& list) {
  const double specified = job.ZUpAbs ? job.ZUp : job.CutZ + job.ZUp;
  AddMoveFZ(list, 0, 1000, job.Rapids ? job.Rapids->EdgeCleanHeight(job, specified) : specified);
}
