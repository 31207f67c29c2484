#pragma once
// The one exception type of the in-house code. It carries the message text that the user sees,
// byte for byte; the window's handlers catch it at their edge and show it in the error box.
//
// A message may also carry its words by key (TMessageText), so that a front end with texts of its own
// (the window and its language packs) can say it in the user's language; the command line prints the
// English message, which stays exactly what it was.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A message as a key of its words and the values put into them. A value (no key, no arguments) is text as
// the English message writes it: a number, a file name, the system's reason.
struct TMessageText {
  std::string Key;      // of its words in a language pack; empty for a value
  std::string Pattern;  // the English words, %1, %2, ... standing for Args; a value's own text
  std::vector<TMessageText> Args;
  std::string Entry;  // a value that names an entry of the job: that entry's web name

  // The English text: the pattern with every argument's own English text put in.
  [[nodiscard]] std::string Words() const;
};

// A value as written; `entry` when it is the noun of the job's entry of that web name.
[[nodiscard]] TMessageText MessageValue(std::string text, std::string entry = {});
// Words by key, with `pattern` their English.
[[nodiscard]] TMessageText MessageOf(std::string key, std::string pattern,
                                     std::vector<TMessageText> args = {});

// `pattern` with %1 ... %9 replaced by the arguments, in one pass: an argument's own text is never read
// for placeholders. A placeholder without its argument, and any other "%", stay as written.
[[nodiscard]] std::string FillIn(std::string_view pattern, const std::vector<std::string>& args);

class EDVError : public std::runtime_error {
 public:
  explicit EDVError(const std::string& message) : std::runtime_error(message), text_(MessageValue(message)) {}
  explicit EDVError(const char* message) : EDVError(std::string(message)) {}
  explicit EDVError(TMessageText text) : std::runtime_error(text.Words()), text_(std::move(text)) {}
  // The message by key; for a message without words of its own, its text as a value.
  [[nodiscard]] const TMessageText& Text() const { return text_; }

 private:
  TMessageText text_;
};

// The system's text for an error number, without the trailing full stops, blanks and line breaks that
// some systems add, so a message reads as one sentence.
[[nodiscard]] std::string SystemReason(int errorNumber);
