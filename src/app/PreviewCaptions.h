#pragma once
// The preview window's texts by their language-pack keys. Without a pack (or for a key a pack does not
// give) each keeps its Simplified Chinese text.

#include <QHash>
#include <QString>

#include <string>
#include <vector>

class TPreviewCaptions {
 public:
  // The pack's text for `key`, else the window's own.
  [[nodiscard]] QString Text(const char* key) const;
  // Keys the window does not know are ignored.
  void Set(const std::string& key, const QString& text);
  // Every key, in the order of the table.
  [[nodiscard]] static std::vector<std::string> Keys();

 private:
  QHash<QString, QString> texts_;
};
