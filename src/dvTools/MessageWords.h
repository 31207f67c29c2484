#pragma once
// The words of the messages (dvError.h) in Simplified Chinese, by their keys: written once for the window
// (whose language pack may replace each) and for the web page in Chinese. The keys are those the job check,
// the preview, the settings file and the file layer give their messages.

#include <span>
#include <string_view>

struct TKeyedText {
  const char* key;
  const char* text;  // UTF-8
};

// Every message's words, in a fixed order.
[[nodiscard]] std::span<const TKeyedText> MessageWords();
// The words of `key`, or nullptr for a key without words.
[[nodiscard]] const char* MessageWordsOf(std::string_view key);
