#pragma once
// The one exception type of the in-house code. It carries the message text that the user sees,
// byte for byte; the window's handlers catch it at their edge and show it in the error box.

#include <stdexcept>
#include <string>

class EDVError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The system's text for an error number, without the trailing full stops, blanks and line breaks that
// some systems add, so a message reads as one sentence.
[[nodiscard]] std::string SystemReason(int errorNumber);
