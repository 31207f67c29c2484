#pragma once
// The About page's ruled label as the window stores it.

#include "dvWidgets/dvLabel.h"

// Gives the About page's label its stored settings, name and rows: ZQLabel1 at 24, 208, 393 x 109,
// five rows with a 5-pixel gap, no frame, no ruling. Its background colour is set by the window later.
void SetupZQLabel1(TZQLabel& label);
