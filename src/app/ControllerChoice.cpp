#include "app/ControllerChoice.h"

#include <QComboBox>
#include <QLabel>

#include <iterator>

#include "app/Skimplane_form.h"
#include "toolpath/FacingJob.h"

int ControllerIndex(int dialect, int coolant) {
  if (dialect != kDialectGrbl) dialect = kDialectIso;
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < static_cast<int>(std::size(kControllerEntries)); ++i)
      if (kControllerEntries[i].Dialect == dialect && kControllerEntries[i].Coolant == coolant) return i;
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
  // After edtLayer, the last of the page's own controls.
  box->setProperty("TabOrder", 7);
  label->setBuddy(box);
  form.cmbController = box;
}
