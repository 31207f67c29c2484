#include "dvTools/dvError.h"

std::string TMessageText::Words() const {
  if (Key.empty() && Args.empty()) return Pattern;
  std::vector<std::string> words;
  words.reserve(Args.size());
  for (const TMessageText& a : Args) words.push_back(a.Words());
  return FillIn(Pattern, words);
}

TMessageText MessageValue(std::string text, std::string entry) {
  return {{}, std::move(text), {}, std::move(entry)};
}

TMessageText MessageOf(std::string key, std::string pattern, std::vector<TMessageText> args) {
  return {std::move(key), std::move(pattern), std::move(args), {}};
}

std::string FillIn(std::string_view pattern, const std::vector<std::string>& args) {
  std::string text;
  text.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    const std::size_t n = next >= '1' && next <= '9' ? static_cast<std::size_t>(next - '0') : 0;
    if (pattern[i] == '%' && n >= 1 && n <= args.size()) {
      text += args[n - 1];
      ++i;
    } else {
      text += pattern[i];
    }
  }
  return text;
}
