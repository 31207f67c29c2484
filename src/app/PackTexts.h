#pragma once
// Texts by their language-pack keys over a table of the window's own (Simplified Chinese): a pack's text
// for a key wins; a key the table does not know is ignored, so a pack cannot add texts nobody shows.

#include <QHash>
#include <QString>

#include <span>
#include <string>
#include <string_view>
#include <vector>

struct TPackText {
  const char* key;
  const char* text;  // UTF-8
};

class TPackTexts {
 public:
  explicit TPackTexts(std::span<const TPackText> own) : own_(own) {}
  // The pack's text for `key`, else the window's own (empty for a key of neither).
  [[nodiscard]] QString Text(const char* key) const;
  void Set(const std::string& key, const QString& text);
  [[nodiscard]] bool Knows(std::string_view key) const;
  // Every key, in the order of the table.
  [[nodiscard]] std::vector<std::string> Keys() const;

 private:
  std::span<const TPackText> own_;
  QHash<QString, QString> texts_;
};
