// A message's English text from its pattern and arguments: one pass, so that a file name or a settings
// value holding "%1" is never read as a placeholder.

#include <gtest/gtest.h>

#include "dvTools/dvError.h"

TEST(MessageText, FillInReplacesEachPlaceholderOnceAndLeavesTheRest) {
  const struct {
    const char* pattern;
    std::vector<std::string> args;
    const char* text;
  } rows[] = {
      {"The %1 must be above zero, but it is %2",
       {"X size", "-50"},
       "The X size must be above zero, but it is -50"},
      {"%2 before %1, %1 twice", {"a", "b"}, "b before a, a twice"},
      {"Cannot create file \"%1\". %2", {"/tmp/100%2.nc", "%1"}, "Cannot create file \"/tmp/100%2.nc\". %1"},
      {"%1 of %3", {"one"}, "one of %3"},
      {"50% and %0 and %% and a last %", {"x"}, "50% and %0 and %% and a last %"},
      {"%9", {"1", "2", "3", "4", "5", "6", "7", "8", "nine"}, "nine"},
      {"%10", {"one"}, "one0"},
  };
  for (const auto& r : rows) EXPECT_EQ(FillIn(r.pattern, r.args), r.text) << r.pattern;
}
