#pragma once
// Texts by their language-pack keys over tables of the window's own (Simplified Chinese): a pack's text
// for a key wins; a key the tables do not know is ignored, so a pack cannot add texts nobody shows.

#include <QHash>
#include <QString>

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dvTools/MessageWords.h"

using TPackText = TKeyedText;

class TPackTexts {
 public:
  // `more`: a second table of the same kind (the messages' words, shared with the web page).
  explicit TPackTexts(std::span<const TPackText> own, std::span<const TPackText> more = {})
      : own_(own), more_(more) {}
  // The pack's text for `key`, else the window's own (empty for a key of neither).
  [[nodiscard]] QString Text(const char* key) const;
  void Set(const std::string& key, const QString& text);
  [[nodiscard]] bool Knows(std::string_view key) const;
  // Every key, in the order of the tables.
  [[nodiscard]] std::vector<std::string> Keys() const;

 private:
  std::span<const TPackText> own_;
  std::span<const TPackText> more_;
  QHash<QString, QString> texts_;
};
