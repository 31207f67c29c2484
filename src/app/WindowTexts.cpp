#include "app/WindowTexts.h"

#include "app/ErrorBox.h"
#include "dvTools/MessageWords.h"
#include "dvTools/dvError.h"

namespace {

// "%1" stands for what the window puts in. The About text's lines are separated by "|". The leads of the
// boxes are a line of their own: the box shows the reason on the next line. Without a pack the boxes say
// what the program has always said ("Success.", the reason alone); a pack may lead them in its language.
constexpr TPackText kTexts[] = {
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
    // What a box adds to a message that does not end in a full stop of its own.
    {"MsgFullStop", "。"},
};

}  // namespace

TWindowTexts::TWindowTexts() : TPackTexts(kTexts, MessageWords()) {}

QString TWindowTexts::Message(const TMessageText& message,
                              const std::function<QString(const std::string&)>& entryCaption) const {
  if (!message.Entry.empty() && entryCaption) {
    const QString caption = entryCaption(message.Entry);
    if (!caption.isEmpty()) return caption;
  }
  // A value, and a message whose words this window does not have, as written (a settings file's bytes may
  // be GBK).
  const QString words = message.Key.empty() ? QString() : Text(message.Key.c_str());
  if (message.Args.empty() && (message.Key.empty() || words.isEmpty()))
    return MessageFromBytes(message.Pattern);
  if (!message.Key.empty() && words.isEmpty()) return MessageFromBytes(message.Words());
  std::vector<std::string> args;
  for (const TMessageText& a : message.Args) args.push_back(Message(a, entryCaption).toStdString());
  const std::string pattern = message.Key.empty() ? message.Pattern : words.toStdString();
  return QString::fromStdString(FillIn(pattern, args));
}

std::vector<std::string> TWindowTexts::Keys() {
  return TPackTexts(kTexts, MessageWords()).Keys();
}
