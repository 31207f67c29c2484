#include "app/PackTexts.h"

QString TPackTexts::Text(const char* key) const {
  const auto it = texts_.constFind(QLatin1String(key));
  if (it != texts_.constEnd()) return *it;
  for (const auto table : {own_, more_})
    for (const TPackText& t : table)
      if (qstrcmp(t.key, key) == 0) return QString::fromUtf8(t.text);
  return QString();
}

void TPackTexts::Set(const std::string& key, const QString& text) {
  if (Knows(key)) texts_.insert(QString::fromStdString(key), text);
}

bool TPackTexts::Knows(std::string_view key) const {
  for (const auto table : {own_, more_})
    for (const TPackText& t : table)
      if (key == t.key) return true;
  return false;
}

std::vector<std::string> TPackTexts::Keys() const {
  std::vector<std::string> keys;
  for (const auto table : {own_, more_})
    for (const TPackText& t : table) keys.emplace_back(t.key);
  return keys;
}
