#pragma once
// The output path as the program's third header line shows it: GBK bytes, like every other text of the
// file. A character that GBK cannot hold, or that the codec would only stand in for (a soft hyphen, a
// zero-width space), becomes one "?"; so does each byte of a name that is not UTF-8. The window, the
// command-line tool and the web page all go through here, so the same file name gives the same header line.
// Pure C++: the table of GBK codes is built in (GbkTable.inc).

#include <string>
#include <string_view>

[[nodiscard]] std::string HeaderPathBytes(std::u32string_view path);
// The same for a path in UTF-8, the file names' encoding on this system and in the browser.
[[nodiscard]] std::string HeaderPathBytesOfUtf8(std::string_view utf8);
