#include <QCoreApplication>
#include <QFileDialog>
#include <QLocale>
#include <QMessageBox>
#include <QRegularExpression>

#include <memory>

#include "app/AppSeams.h"

namespace {

constexpr const char* kSaveFilter = "NC Files(*.nc)|*.nc|TXT Files(*.txt)|*.txt|All Files(*.*)|*.*";

struct TSaveDialogMemory {
  QString lastPath;
  QString lastFilter;
};

}  // namespace

QStringList SaveDialogNameFilters() {
  const QStringList parts = QString::fromLatin1(kSaveFilter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString& description = parts[i];
    QString pattern = parts[i + 1];
    // Qt reads the patterns from the parentheses at the end of the description; "*.*" there would hide
    // files without an extension.
    if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    QString shown = description;
    static const QRegularExpression trailing(QStringLiteral("\\s*\\([^()]*\\)$"));
    shown.remove(trailing);
    filters << shown + QLatin1String(" (") + pattern + QLatin1Char(')');
  }
  return filters;
}

char TimeSeparatorOf(const QLocale& locale) {
  const QString format = locale.timeFormat(QLocale::ShortFormat);
  const qsizetype h = format.indexOf(QRegularExpression(QStringLiteral("[hH]")));
  if (h < 0) return ':';
  qsizetype i = h;
  while (i < format.size() && (format[i] == QLatin1Char('h') || format[i] == QLatin1Char('H'))) ++i;
  if (i < format.size() && format[i].unicode() > 32 && format[i].unicode() < 127 &&
      !format[i].isLetterOrNumber())
    return static_cast<char>(format[i].unicode());
  return ':';
}

TAppSeams DefaultSeams() {
  TAppSeams s;
  auto memory = std::make_shared<TSaveDialogMemory>();
  s.ChooseSaveFile = [memory](QWidget* parent) -> std::optional<QString> {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(SaveDialogNameFilters());
    dialog.setDefaultSuffix(QStringLiteral("nc"));
    if (!memory->lastFilter.isEmpty()) dialog.selectNameFilter(memory->lastFilter);
    if (!memory->lastPath.isEmpty()) dialog.selectFile(memory->lastPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    memory->lastPath = dialog.selectedFiles().front();
    memory->lastFilter = dialog.selectedNameFilter();
    return memory->lastPath;
  };
  // A message quotes file names and entries: "<b>" in a name is shown as typed, never read as markup.
  s.ShowMessage = [](QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
  };
  s.ShowError = [](QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
  };
  s.Now = [] { return QDateTime::currentDateTime(); };
  s.TimeSeparator = [] { return TimeSeparatorOf(QLocale::system()); };
  s.ExecutablePath = [] { return QCoreApplication::applicationFilePath(); };
  return s;
}
