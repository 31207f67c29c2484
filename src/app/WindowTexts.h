#pragma once
// The main window's own texts by their language-pack keys: the two buttons, the About text, and the
// words of every box and progress dialog it shows. Without a pack (or for a key a pack does not give)
// each keeps its Simplified Chinese text.

#include <QHash>
#include <QString>

#include <functional>
#include <string>
#include <vector>

struct TMessageText;

class TWindowTexts {
 public:
  // The pack's text for `key`, else the window's own.
  [[nodiscard]] QString Text(const char* key) const;
  // A message (dvError.h) in the window's language: each key's words from the pack or the window's own,
  // put together with their arguments; a message whose key has no words here is its English text.
  // `entryCaption` names an entry of the job, given its web name, as the window does (empty: its noun).
  [[nodiscard]] QString Message(const TMessageText& message,
                                const std::function<QString(const std::string& webName)>& entryCaption) const;
  // Keys the window does not know are ignored.
  void Set(const std::string& key, const QString& text);
  [[nodiscard]] static bool Knows(const std::string& key);
  // Every key, in the order of the table.
  [[nodiscard]] static std::vector<std::string> Keys();

 private:
  QHash<QString, QString> texts_;
};
