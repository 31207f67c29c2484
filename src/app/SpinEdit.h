#pragma once
// The window's number field: a text field with up and down buttons that holds either a floating-point
// or a 32-bit integer value. No lower or upper limit: zero and negative values are ordinary entries.
// The arrow keys and the buttons change the value by Increment(), Page Up and Page Down by
// LargeIncrement().
//
// A floating-point value is kept exactly as it was given: SetValue(0.1245) shows "0.1245" and Value()
// gives back the very same double. The text shows at most 15 significant digits and no trailing zeros,
// with the user's decimal separator (QLocale()) unless fewer decimals are asked for; typing a number with
// that separator, a point or a comma is accepted. An integer field follows the job's whole-number rule: ties
// to even, nothing beyond 32 bits.

#include <QAbstractSpinBox>
#include <QLocale>

#include <cstdint>
#include <optional>

class TSpinEdit : public QAbstractSpinBox {
  Q_OBJECT
 public:
  enum class TValueType { vtFloat, vtInteger };

  explicit TSpinEdit(TValueType valueType, QWidget* parent = nullptr);

  [[nodiscard]] TValueType ValueType() const { return valueType_; }
  // The value as a double (an integer spin edit gives its whole number).
  [[nodiscard]] double Value() const { return value_; }
  // An integer spin edit rounds to the nearest whole number, ties to even; a value beyond 32 bits (or not
  // a number) is refused and the field keeps its value.
  void SetValue(double value);
  [[nodiscard]] int32_t IntValue() const;
  void SetIntValue(int32_t value) { SetValue(static_cast<double>(value)); }

  [[nodiscard]] double Increment() const { return increment_; }
  void SetIncrement(double step) { increment_ = step; }
  [[nodiscard]] double LargeIncrement() const { return largeIncrement_; }
  void SetLargeIncrement(double step) { largeIncrement_ = step; }

  // A float field may show fewer decimals than it holds (a percent worked out from other entries): the
  // value itself stays exact until the user types another. -1: as many as 15 significant digits take.
  void SetShownDecimals(int decimals);

  // Moves the value by `amount`, as the buttons and keys do.
  void StepByAmount(double amount);

  // The text shown for a value, and the value read from a text (nothing when the text is no complete
  // number of this value type). Both pure, for the given locale.
  [[nodiscard]] static QString FormatValue(double value, TValueType type, const QLocale& locale,
                                           int shownDecimals = -1);
  [[nodiscard]] static std::optional<double> ParseText(const QString& text, TValueType type,
                                                       const QLocale& locale);

  void stepBy(int steps) override;
  QValidator::State validate(QString& input, int& pos) const override;
  void fixup(QString& input) const override;

 signals:
  void ValueChanged(double value);

 protected:
  StepEnabled stepEnabled() const override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void TakeTypedText(const QString& text);
  void ShowValue();

  TValueType valueType_;
  double value_ = 0;
  double increment_ = 1;
  double largeIncrement_ = 10;
  int shownDecimals_ = -1;
};
