#include "app/WindowTexts.h"

namespace {

struct TText {
  const char* key;
  const char* text;  // UTF-8
};

// "%1" stands for what the window puts in. The About text's lines are separated by "|". The leads of the
// boxes are a line of their own: the box shows the reason on the next line. Without a pack the boxes say
// what the program has always said ("Success.", the reason alone); a pack may lead them in its language.
constexpr TText kTexts[] = {
    {"Generate", "生成"},
    {"Close", "关闭"},
    {"AboutText",
     "感谢以下网友在试用中帮忙测试并报告问题：||铣刀老王、数控小白、钢屑飞扬、ZhangWorks、MillerMike||"
     "祝大家新春快乐，万事如意！"},
    {"MsgSuccess", "Success."},
    // A refusal of the job: %1 the entries it is about, by their captions.
    {"MsgRefused", ""},
    {"MsgRefusedNoEntry", ""},
    {"MsgListSeparator", "、"},
    {"MsgWriteFailed", ""},
    {"MsgSettingsNotRead", ""},
    {"MsgSettingsNotSaved", ""},
    {"GenerateWorking", "正在生成程序…"},
    {"GenerateCancel", "取消"},
};

}  // namespace

QString TWindowTexts::Text(const char* key) const {
  const auto it = texts_.constFind(QLatin1String(key));
  if (it != texts_.constEnd()) return *it;
  for (const TText& t : kTexts)
    if (qstrcmp(t.key, key) == 0) return QString::fromUtf8(t.text);
  return QString();
}

void TWindowTexts::Set(const std::string& key, const QString& text) {
  for (const TText& t : kTexts)
    if (key == t.key) texts_.insert(QLatin1String(t.key), text);
}

bool TWindowTexts::Knows(const std::string& key) {
  for (const TText& t : kTexts)
    if (key == t.key) return true;
  return false;
}

std::vector<std::string> TWindowTexts::Keys() {
  std::vector<std::string> keys;
  for (const TText& t : kTexts) keys.emplace_back(t.key);
  return keys;
}
