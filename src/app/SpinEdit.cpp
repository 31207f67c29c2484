#include "app/SpinEdit.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <cmath>
#include <limits>

#include "toolpath/WholeNumber.h"

namespace {

constexpr double kIntMin = std::numeric_limits<int32_t>::min();
constexpr double kIntMax = std::numeric_limits<int32_t>::max();

// A sum of steps such as 1 + 0.1 + 0.1 lands a few ulps beside the number the user sees; snapping it
// to 15 significant digits makes it that number again, so stepping never shows or stores 1.2000000000000002.
// Near the largest double the 15-digit text lies beyond it and reads back as infinity: such a value is
// kept as it is.
double SnapTo15Digits(double v) {
  if (!std::isfinite(v)) return v;
  const double snapped = QString::number(v, 'g', 15).toDouble();
  return std::isfinite(snapped) ? snapped : v;
}

QChar DecimalPoint(const QLocale& locale) {
  const QString dp = locale.decimalPoint();
  return dp.size() == 1 ? dp.front() : QLatin1Char('.');
}

// A point or a comma separates the decimals whatever the locale: a machinist typing "6,5" means 6.5,
// and neither field knows group separators.
bool IsDecimalSeparator(QChar c, QChar localeSeparator) {
  return c == localeSeparator || c == QLatin1Char('.') || c == QLatin1Char(',');
}

}  // namespace

TSpinEdit::TSpinEdit(TValueType valueType, QWidget* parent)
    : QAbstractSpinBox(parent), valueType_(valueType) {
  setAccelerated(true);
  setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
  connect(lineEdit(), &QLineEdit::textEdited, this, &TSpinEdit::TakeTypedText);
  connect(this, &QAbstractSpinBox::editingFinished, this, &TSpinEdit::ShowValue);
  ShowValue();
}

QString TSpinEdit::FormatValue(double value, TValueType type, const QLocale& locale, int shownDecimals) {
  if (type == TValueType::vtInteger) return QString::number(static_cast<qint64>(value));
  QString text = QString::number(value, 'g', 15);
  if (shownDecimals >= 0 && std::isfinite(value) && std::abs(value) < 1e15) {
    text = QString::number(value, 'f', shownDecimals);
    if (text.contains(QLatin1Char('.'))) {
      while (text.endsWith(QLatin1Char('0'))) text.chop(1);
      if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    }
    if (text == QLatin1String("-0")) text = QStringLiteral("0");
  }
  const QChar dp = DecimalPoint(locale);
  if (dp != QLatin1Char('.')) text.replace(QLatin1Char('.'), dp);
  return text;
}

std::optional<double> TSpinEdit::ParseText(const QString& text, TValueType type, const QLocale& locale) {
  QString t = text.trimmed();
  if (t.isEmpty()) return std::nullopt;
  if (type == TValueType::vtInteger) {
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok, 10);
    if (!ok || v < static_cast<qlonglong>(kIntMin) || v > static_cast<qlonglong>(kIntMax))
      return std::nullopt;
    return static_cast<double>(v);
  }
  // Only plain numbers: digits, one sign, one decimal separator, an exponent. No "nan", "inf" or
  // group separators.
  const QChar dp = DecimalPoint(locale);
  for (QChar& c : t) {
    if (IsDecimalSeparator(c, dp))
      c = QLatin1Char('.');
    else if (!(c.isDigit() && c.unicode() < 128) && c != QLatin1Char('.') && c != QLatin1Char('-') &&
             c != QLatin1Char('+') && c != QLatin1Char('e') && c != QLatin1Char('E'))
      return std::nullopt;
  }
  bool ok = false;
  const double v = t.toDouble(&ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

void TSpinEdit::SetShownDecimals(int decimals) {
  shownDecimals_ = decimals;
  ShowValue();
}

void TSpinEdit::SetValue(double value) {
  if (valueType_ == TValueType::vtInteger) {
    // A value the field cannot hold (beyond 32 bits, not a number) is refused: the field keeps its own.
    const std::optional<int32_t> whole = WholeNumber(value);
    if (!whole) return;
    value = *whole;
  }
  value_ = value;
  ShowValue();
  emit ValueChanged(value_);
}

int32_t TSpinEdit::IntValue() const {
  return static_cast<int32_t>(value_);  // always whole and within 32 bits
}

void TSpinEdit::StepByAmount(double amount) {
  double next = value_ + amount;
  if (valueType_ == TValueType::vtFloat) next = SnapTo15Digits(next);
  SetValue(next);
  selectAll();
}

void TSpinEdit::stepBy(int steps) {
  StepByAmount(steps * increment_);
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const {
  if (isReadOnly()) return StepNone;
  return StepUpEnabled | StepDownEnabled;
}

QValidator::State TSpinEdit::validate(QString& input, int& /*pos*/) const {
  if (ParseText(input, valueType_, locale())) return QValidator::Acceptable;
  if (valueType_ == TValueType::vtInteger) {
    // A whole number beyond 32 bits is refused as it is typed, so the field never shows what it
    // cannot hold.
    bool ok = false;
    input.trimmed().toLongLong(&ok, 10);
    if (ok) return QValidator::Invalid;
  }
  // Half-typed numbers ("", "-", "1.", "2e") are allowed while typing; anything with other characters
  // is refused keystroke by keystroke.
  const QChar dp = DecimalPoint(locale());
  for (const QChar c : input) {
    const bool digit = c.isDigit() && c.unicode() < 128;
    const bool sign = c == QLatin1Char('-') || c == QLatin1Char('+');
    const bool floatChar = IsDecimalSeparator(c, dp) || c == QLatin1Char('e') || c == QLatin1Char('E');
    if (!digit && !sign && !(floatChar && valueType_ == TValueType::vtFloat) && c != QLatin1Char(' '))
      return QValidator::Invalid;
  }
  return QValidator::Intermediate;
}

void TSpinEdit::fixup(QString& input) const {
  input = FormatValue(value_, valueType_, locale(), shownDecimals_);
}

void TSpinEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
    if (!isReadOnly()) StepByAmount(event->key() == Qt::Key_PageUp ? largeIncrement_ : -largeIncrement_);
    event->accept();
    return;
  }
  QAbstractSpinBox::keyPressEvent(event);
}

void TSpinEdit::changeEvent(QEvent* event) {
  QAbstractSpinBox::changeEvent(event);
  if (event->type() == QEvent::LocaleChange) ShowValue();
}

void TSpinEdit::focusOutEvent(QFocusEvent* event) {
  QAbstractSpinBox::focusOutEvent(event);
  ShowValue();
}

void TSpinEdit::TakeTypedText(const QString& text) {
  if (const auto v = ParseText(text, valueType_, locale())) {
    value_ = *v;
    emit ValueChanged(value_);
  }
}

void TSpinEdit::ShowValue() {
  const QString text = FormatValue(value_, valueType_, locale(), shownDecimals_);
  if (lineEdit()->text() != text) lineEdit()->setText(text);
}
