#include "app/ControllerChoice.h"

#include <QComboBox>
#include <QLabel>

#include <vector>

#include "app/Skimplane_form.h"
#include "toolpath/Dialect.h"
#include "toolpath/FacingJob.h"

namespace {

const std::vector<TControllerEntry>& Entries() {
  static const std::vector<TControllerEntry> entries = [] {
    std::vector<TControllerEntry> list;
    for (int dialect : kDialects)
      for (int coolant : DialectFor(dialect).Coolants()) list.push_back({dialect, coolant});
    return list;
  }();
  return entries;
}

}  // namespace

TControllerEntry ControllerEntry(int index) {
  const std::vector<TControllerEntry>& entries = Entries();
  return index >= 0 && index < static_cast<int>(entries.size()) ? entries[static_cast<std::size_t>(index)]
                                                                : entries.front();
}

int ControllerIndex(int dialect, int coolant) {
  if (dialect != kDialectGrbl) dialect = kDialectIso;
  const std::vector<TControllerEntry>& entries = Entries();
  for (int pass = 0; pass < 2; ++pass) {
    for (std::size_t i = 0; i < entries.size(); ++i)
      if (entries[i].Dialect == dialect && entries[i].Coolant == coolant) return static_cast<int>(i);
    coolant = DefaultCoolant(dialect);
  }
  return 0;
}

void InstallControllerChoice(TfrmSkimplane& form) {
  QWidget* page = form.tabOption;
  auto* label = new QLabel(QString::fromUtf8("控制器："), page);
  label->setObjectName(QStringLiteral("lblController"));
  label->setGeometry(20, 288, 76, 17);
  auto* box = new QComboBox(page);
  box->setObjectName(QStringLiteral("cmbController"));
  for (const char* text : {"ISO（雾状冷却 M07）", "ISO（液体冷却 M08）", "ISO（无冷却）",
                           "GRBL 1.1（无冷却）", "GRBL 1.1（液体冷却 M8）"})
    box->addItem(QString::fromUtf8(text));
  box->setGeometry(96, 284, 221, 22);
  box->setCurrentIndex(0);
  // In the tab order by its place, below the page's own controls.
  box->setProperty("TabOrder", 0);
  label->setBuddy(box);
  form.cmbController = box;
}
