#include "app/AboutLabel.h"

#include <gtest/gtest.h>

#include <QFont>

TEST(AboutLabel, ZQLabel1StoredSettingsAndRows) {
  QWidget page;
  TZQLabel label(&page);
  SetupZQLabel1(label);
  EXPECT_EQ(label.objectName(), "ZQLabel1");
  EXPECT_EQ(label.geometry(), QRect(24, 208, 393, 109));
  EXPECT_EQ(label.RowSpace(), 5);
  EXPECT_EQ(label.BorderWidth(), 0);
  EXPECT_FALSE(label.UnderLine().Visible());
  EXPECT_FALSE(label.Autosize());
  EXPECT_TRUE(label.ParentColor());
  // The stored rows replaced the name that the rename hook put in first.
  ASSERT_EQ(label.Lines().size(), 5);
  EXPECT_FALSE(label.Lines()[0].isEmpty());
  EXPECT_TRUE(label.Lines()[1].isEmpty());
  EXPECT_FALSE(label.Lines()[2].isEmpty());
  EXPECT_TRUE(label.Lines()[3].isEmpty());
  EXPECT_FALSE(label.Lines()[4].isEmpty());
  // Every row fits the label in the window's 13-pixel font.
  QFont font("Noto Sans CJK SC");
  font.setPixelSize(13);
  label.setFont(font);
  for (const TTextExtent& e : label.RowExtents()) EXPECT_LE(e.width, 393);
  EXPECT_EQ(label.RowExtents()[1].height, 0);
  // The window's content colour ends the use of the parent's colour.
  label.setColor(QColor(243, 245, 247));
  EXPECT_FALSE(label.ParentColor());
  EXPECT_EQ(label.Color(), QColor(243, 245, 247));
}
