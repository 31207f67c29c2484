#pragma once
// The controller box cmbController on the Motion page, under the strategies: the dialect and coolant of
// the program, one entry per sensible pair. Its caption lblController and its entries are the pack keys
// "Controller" and "Controllers" (the entries in their order, separated by "|").

class QComboBox;
class TfrmSkimplane;

// One entry of the box: each dialect with each coolant it can write, its own coolant first.
struct TControllerEntry {
  int Dialect;
  int Coolant;
};

// The entry at `index` of the box; any index outside it gives the first entry.
[[nodiscard]] TControllerEntry ControllerEntry(int index);

// Adds lblController and cmbController to the Motion page, the ISO program with mist coolant chosen.
void InstallControllerChoice(TfrmSkimplane& form);

// The entry of a dialect and coolant (kCoolantDefault: the dialect's own); a pair the box does not
// offer (GRBL with mist) gives the dialect's own coolant.
[[nodiscard]] int ControllerIndex(int dialect, int coolant);
