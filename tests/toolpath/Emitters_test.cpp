#include "toolpath/Emitters.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

namespace {

std::string OneLine(const std::function<void(TGCodeFile&)>& emit) {
  TGCodeMemorySink sink;
  TGCodeFile list(sink);
  emit(list);
  EXPECT_EQ(sink.Lines().size(), 1u);
  return sink.Lines().empty() ? "" : sink.Lines()[0];
}

}  // namespace

TEST(Emitters, WriteTheirLineShapes) {
  TFacingJob relative;
  relative.CutZ = -1;
  relative.ZUp = 2;
  TFacingJob absolute = relative;
  absolute.ZUpAbs = true;
  TFacingJob deep = relative;
  deep.CutZ = -2.5;

  const struct {
    std::function<void(TGCodeFile&)> emit;
    const char* line;
  } rows[] = {
      {[](TGCodeFile& l) { AddMoveX(l, 0, 17); }, "G00 X17.000"},
      {[](TGCodeFile& l) { AddMoveX(l, 1, 17); }, "G01 X17.000"},
      {[](TGCodeFile& l) { AddMoveY(l, 0, 9); }, "G00 Y9.000"},
      {[](TGCodeFile& l) { AddMoveY(l, 1, 9); }, "G01 Y9.000"},
      {[](TGCodeFile& l) { AddMoveXY(l, 0, 8.5, 3); }, "G00 X8.500 Y3.000"},
      {[](TGCodeFile& l) { AddMoveXY(l, 1, 3, 9); }, "G01 X3.000 Y9.000"},
      {[](TGCodeFile& l) { AddMoveFZ(l, 0, 1000, 1); }, "G00 F1000 Z1.000"},
      {[](TGCodeFile& l) { AddMoveFZ(l, 0, 1000, 2); }, "G00 F1000 Z2.000"},
      {[](TGCodeFile& l) { AddMoveFZ(l, 1, 120, -1); }, "G01 F120 Z-1.000"},
      {[](TGCodeFile& l) { AddMoveFZ(l, 1, -5, -1); }, "G01 F-5 Z-1.000"},  // a negative feed keeps its sign
      {[](TGCodeFile& l) { AddMoveFZ(l, 1, INT32_MIN, 0); }, "G01 F-2147483648 Z0.000"},
      {[](TGCodeFile& l) { AddMoveXY(l, 1, -0.0004, -0.0005); }, "G01 X0.000 Y-0.001"},
      {[&](TGCodeFile& l) { AddRetract(relative, l); }, "G00 F1000 Z1.000"},
      {[&](TGCodeFile& l) { AddRetract(absolute, l); }, "G00 F1000 Z2.000"},
      {[&](TGCodeFile& l) { AddRetract(deep, l); }, "G00 F1000 Z-0.500"},
  };
  for (const auto& r : rows) EXPECT_EQ(OneLine(r.emit), r.line);
}

// The F word is any 32-bit integer in plain decimal: single digits, the step to two and three digits, the
// extremes and negative feeds (which the job check may refuse, but the emitter must still write truly).
TEST(Emitters, FeedWordIsTheDecimalTextOfTheFeed) {
  const struct {
    int32_t feed;
    const char* plunge;
  } rows[] = {
      {0, "G01 F0 Z-1.000"},
      {1, "G01 F1 Z-1.000"},
      {2, "G01 F2 Z-1.000"},
      {3, "G01 F3 Z-1.000"},
      {4, "G01 F4 Z-1.000"},
      {5, "G01 F5 Z-1.000"},
      {6, "G01 F6 Z-1.000"},
      {7, "G01 F7 Z-1.000"},
      {8, "G01 F8 Z-1.000"},
      {9, "G01 F9 Z-1.000"},
      {10, "G01 F10 Z-1.000"},
      {11, "G01 F11 Z-1.000"},
      {99, "G01 F99 Z-1.000"},
      {100, "G01 F100 Z-1.000"},
      {101, "G01 F101 Z-1.000"},
      {INT32_MAX, "G01 F2147483647 Z-1.000"},
      {INT32_MIN, "G01 F-2147483648 Z-1.000"},
      {INT32_MIN + 1, "G01 F-2147483647 Z-1.000"},
      {-1, "G01 F-1 Z-1.000"},
      {-9, "G01 F-9 Z-1.000"},
      {-10, "G01 F-10 Z-1.000"},
      {-11, "G01 F-11 Z-1.000"},
      {-100, "G01 F-100 Z-1.000"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(OneLine([&](TGCodeFile& l) { AddMoveFZ(l, 1, r.feed, -1); }), r.plunge) << r.feed;
    // The rapid form carries the same word after G00.
    EXPECT_EQ(OneLine([&](TGCodeFile& l) { AddMoveFZ(l, 0, r.feed, -1); }), "G00" + std::string(r.plunge + 3))
        << r.feed;
  }
}

TEST(GCodeFile, MemorySinkTextEndsEveryLineWithCrLf) {
  const struct {
    std::vector<std::string> lines;
    std::string text;
  } rows[] = {
      {{}, ""},
      {{"M02"}, "M02\r\n"},
      {{"M05", "", "M02"}, "M05\r\n\r\nM02\r\n"},
      {{"( \xB2\xE3 )", "M02"}, "( \xB2\xE3 )\r\nM02\r\n"},
  };
  for (const auto& r : rows) {
    TGCodeMemorySink sink;
    TGCodeFile list(sink);
    for (const auto& l : r.lines) list.Add(l);
    EXPECT_EQ(sink.Text(), r.text);
    EXPECT_EQ(list.Count(), r.lines.size());
  }
}
