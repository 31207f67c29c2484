#pragma once
// Text from outside (a file name, an entry of a settings file, an option's value) that goes into a
// message. A message ends up on a terminal, in a box or in a log: a control byte there could move the
// cursor, rewrite the screen or set the terminal's title, and a line break could forge a line of its own.

#include <string>
#include <string_view>

// The text with each control byte (0x00 to 0x1F and 0x7F) written as "\x" and two lower-case hex digits
// ("\x1b" for ESC); every other byte stays as it is, so UTF-8 and GBK characters (bytes from 0x80 up) and
// ordinary text read unchanged. A backslash stays a backslash: Windows paths are full of them and must read
// as the user typed them. A name that itself holds "\x1b" therefore reads like one holding ESC; the
// message names the file to a person, it is never parsed back.
// Used where such text enters a message, not where the message is printed, so our own texts stay exact.
[[nodiscard]] std::string EscapeControlBytes(std::string_view text);
