#pragma once
// The preview window's texts by their language-pack keys. Without a pack (or for a key a pack does not
// give) each keeps its Simplified Chinese text.

#include <string>
#include <vector>

#include "app/PackTexts.h"

class TPreviewCaptions : public TPackTexts {
 public:
  TPreviewCaptions();
  // Every key, in the order of the table.
  [[nodiscard]] static std::vector<std::string> Keys();
};
