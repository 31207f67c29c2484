#include "dvTools/EscapedText.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

TEST(EscapeControlBytes, ShowsControlBytesAsHexAndKeepsEverythingElse) {
  const struct {
    std::string in, out;
  } rows[] = {
      {"", ""},
      {"D:\\nc\\plate.nc", "D:\\nc\\plate.nc"},  // a backslash stays, so Windows paths read as typed
      {"\x1b]0;title\x07", "\\x1b]0;title\\x07"},
      {"a\r\nb\tc", "a\\x0d\\x0ab\\x09c"},
      {"\0\x1f\x7f"s, "\\x00\\x1f\\x7f"},
      {" ~", " ~"},
      {"\xe8\xbe\x93\xe5\x87\xba", "\xe8\xbe\x93\xe5\x87\xba"},          // UTF-8
      {"\xca\xe4\xb3\xf6\x80\x9b\xff", "\xca\xe4\xb3\xf6\x80\x9b\xff"},  // GBK and other high bytes
      {"\\x1b", "\\x1b"},  // already shown: escaping twice changes nothing
  };
  for (const auto& r : rows) EXPECT_EQ(EscapeControlBytes(r.in), r.out) << r.out;
}
