#pragma once
// The main window's own texts by their language-pack keys: the two buttons, the About text, and the
// words of every box and progress dialog it shows. Without a pack (or for a key a pack does not give)
// each keeps its Simplified Chinese text; the messages' words are the table the web page shares
// (dvTools/MessageWords.h).

#include <functional>
#include <string>
#include <vector>

#include "app/PackTexts.h"

struct TMessageText;

class TWindowTexts : public TPackTexts {
 public:
  TWindowTexts();
  // A message (dvError.h) in the window's language: each key's words from the pack or the window's own,
  // put together with their arguments; a message whose key has no words here is its English text.
  // `entryCaption` names an entry of the job, given its web name, as the window does (empty: its noun).
  [[nodiscard]] QString Message(const TMessageText& message,
                                const std::function<QString(const std::string& webName)>& entryCaption) const;
  // Every key, in the order of the table.
  [[nodiscard]] static std::vector<std::string> Keys();
};
