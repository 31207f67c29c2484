#include "app/SpinEdit.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QStyleOptionSpinBox>
#include <QTest>

#include <cstring>
#include <limits>

namespace {

using VT = TSpinEdit::TValueType;

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Types into the field as a user does: select all, then the keys.
void Type(TSpinEdit& spin, const QString& text) {
  auto* edit = spin.findChild<QLineEdit*>();
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

QPoint ButtonCentre(TSpinEdit& spin, QStyle::SubControl button) {
  QStyleOptionSpinBox opt;
  opt.initFrom(&spin);
  opt.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown | QStyle::SC_SpinBoxFrame;
  opt.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
  opt.frame = true;
  return spin.style()->subControlRect(QStyle::CC_SpinBox, &opt, button, &spin).center();
}

}  // namespace

TEST(SpinEdit, KeepsTheGivenFloatExactlyAndShowsItWithoutTrailingZeros) {
  const struct {
    double value;
    const char* text;
    int shownDecimals = -1;  // fewer shown than held: the value stays exact all the same
  } rows[] = {
      {0.1245, "0.1245"},   {150, "150"},       {0.5, "0.5"},
      {-5, "-5"},           {0, "0"},           {1.0 / 3, "0.333333333333333"},
      {2.675, "2.675"},     {1e20, "1e+20"},    {123456789012.5, "123456789012.5"},
      {-0.0005, "-0.0005"}, {0.1 + 0.2, "0.3"}, {(6 - 0.5) / 6 * 100, "91.67", 2},
      {80, "80", 2},        {-0.001, "0", 2},   {1e20, "1e+20", 2},
  };
  for (const auto& r : rows) {
    TSpinEdit spin(VT::vtFloat);
    spin.SetShownDecimals(r.shownDecimals);
    spin.SetValue(r.value);
    EXPECT_EQ(spin.text(), QString::fromLatin1(r.text)) << r.text;
    EXPECT_TRUE(SameBits(spin.Value(), r.value)) << r.text;
    // Focus passing through the field does not round the value to its text.
    spin.setFocus();
    emit spin.editingFinished();
    EXPECT_TRUE(SameBits(spin.Value(), r.value)) << r.text;
  }
}

TEST(SpinEdit, TypedTextBecomesTheValue) {
  const struct {
    VT type;
    const char* typed;
    double value;  // the value before typing was 7
    const char* shownAfter;
  } rows[] = {
      {VT::vtFloat, "0.1245", 0.1245, "0.1245"},
      {VT::vtFloat, "1.50", 1.5, "1.5"},
      {VT::vtFloat, "-5", -5, "-5"},
      {VT::vtFloat, "-", 7, "7"},  // half-typed: the old value stays
      {VT::vtFloat, "2e3", 2000, "2000"},
      {VT::vtInteger, "-12", -12, "-12"},
      {VT::vtInteger, "12.5", 125, "125"},                     // the point is refused keystroke by keystroke
      {VT::vtInteger, "99999999999", 999999999, "999999999"},  // digits beyond 32 bits are refused
      {VT::vtFloat, "abc", 7, "7"},
  };
  for (const auto& r : rows) {
    TSpinEdit spin(r.type);
    spin.SetValue(7);
    Type(spin, QString::fromLatin1(r.typed));
    emit spin.editingFinished();
    EXPECT_EQ(spin.Value(), r.value) << r.typed;
    EXPECT_EQ(spin.text(), QString::fromLatin1(r.shownAfter)) << r.typed;
  }
}

TEST(SpinEdit, UsersDecimalSeparator) {
  TSpinEdit spin(VT::vtFloat);
  spin.setLocale(QLocale(QLocale::German, QLocale::Germany));
  spin.SetValue(0.5);
  EXPECT_EQ(spin.text(), QStringLiteral("0,5"));
  const struct {
    const char* typed;
    double value;
  } rows[] = {{"1,25", 1.25}, {"-0,125", -0.125}, {"1.75", 1.75}};
  for (const auto& r : rows) {
    Type(spin, QString::fromLatin1(r.typed));
    EXPECT_EQ(spin.Value(), r.value) << r.typed;
  }
  emit spin.editingFinished();
  EXPECT_EQ(spin.text(), QStringLiteral("1,75"));
}

TEST(SpinEdit, StepsByKeysAndButtonsWithoutLimits) {
  const struct {
    VT type;
    double start, step, large;
    Qt::Key key;
    int presses;
    double expected;
  } rows[] = {
      {VT::vtFloat, 1, 0.1, 10, Qt::Key_Down, 11, -0.1},  // below zero, and exactly -0.1, not -0.09999...
      {VT::vtFloat, 0.5, 0.1, 10, Qt::Key_Up, 3, 0.8},
      {VT::vtFloat, 150, 10, 100, Qt::Key_PageUp, 2, 350},
      {VT::vtFloat, 150, 10, 100, Qt::Key_PageDown, 2, -50},
      {VT::vtFloat, 6, 1, 10, Qt::Key_Down, 7, -1},
      {VT::vtInteger, 5000, 100, 1000, Qt::Key_PageUp, 1, 6000},
      {VT::vtInteger, 1, 1, 10, Qt::Key_PageDown, 1, -9},
      {VT::vtInteger, 120, 10, 100, Qt::Key_Down, 13, -10},
      // A step beyond 32 bits is refused: the field keeps its value rather than clamp to one never entered.
      {VT::vtInteger, 2147483600, 100, 1000, Qt::Key_Up, 1, 2147483600},
      {VT::vtInteger, -2147483600, 100, 1000, Qt::Key_PageDown, 1, -2147483600},
      // The largest doubles stay where they are: a step neither overflows nor jumps to zero.
      {VT::vtFloat, std::numeric_limits<double>::max(), 10, 100, Qt::Key_Up, 1,
       std::numeric_limits<double>::max()},
      {VT::vtFloat, -std::numeric_limits<double>::max(), 10, 100, Qt::Key_PageDown, 1,
       -std::numeric_limits<double>::max()},
      {VT::vtFloat, 1.7976931348623e308, 10, 100, Qt::Key_Up, 1, 1.7976931348623e308},
  };
  for (const auto& r : rows) {
    TSpinEdit spin(r.type);
    spin.SetIncrement(r.step);
    spin.SetLargeIncrement(r.large);
    spin.SetValue(r.start);
    for (int i = 0; i < r.presses; ++i) QTest::keyClick(&spin, r.key);
    EXPECT_TRUE(SameBits(spin.Value(), r.expected)) << r.start << " " << r.presses << " -> " << spin.Value();
  }
}

TEST(SpinEdit, UpAndDownButtonsStepByTheIncrement) {
  TSpinEdit spin(VT::vtFloat);
  spin.SetIncrement(0.1);
  spin.SetLargeIncrement(10);
  spin.SetValue(2);
  spin.resize(81, spin.sizeHint().height());
  spin.show();
  const struct {
    QStyle::SubControl button;
    double expected;
  } rows[] = {{QStyle::SC_SpinBoxUp, 2.1}, {QStyle::SC_SpinBoxUp, 2.2}, {QStyle::SC_SpinBoxDown, 2.1}};
  for (const auto& r : rows) {
    QTest::mouseClick(&spin, Qt::LeftButton, {}, ButtonCentre(spin, r.button));
    EXPECT_TRUE(SameBits(spin.Value(), r.expected)) << spin.Value();
  }
}

TEST(SpinEdit, IntegerFieldsFollowTheWholeNumberRule) {
  const struct {
    double given;
    double kept;  // what the field holds afterwards; it starts at 7
  } rows[] = {
      {2.5, 2},
      {3.5, 4},
      {-2.5, -2},
      {0.5, 0},
      {2.4999, 2},
      {2147483647, 2147483647},
      {-2147483648.0, -2147483648.0},
      {2147483647.5, 7},  // would round beyond 32 bits: refused
      {2147483648.0, 7},
      {-2147483649.0, 7},
      {1e300, 7},
      {std::numeric_limits<double>::quiet_NaN(), 7},
  };
  for (const auto& r : rows) {
    TSpinEdit spin(VT::vtInteger);
    spin.SetValue(7);
    spin.SetValue(r.given);
    EXPECT_EQ(spin.Value(), r.kept) << r.given;
    EXPECT_EQ(spin.IntValue(), static_cast<int32_t>(r.kept)) << r.given;
  }
  // The extremes can be typed.
  for (const char* typed : {"2147483647", "-2147483648"}) {
    TSpinEdit spin(VT::vtInteger);
    auto* text = spin.findChild<QLineEdit*>();
    text->selectAll();
    QTest::keyClicks(text, QString::fromLatin1(typed));
    EXPECT_EQ(spin.Value(), std::stod(typed)) << typed;
  }
}
