#include "app/AboutLabel.h"

#include "app/WindowTexts.h"

void SetupZQLabel1(TZQLabel& label) {
  label.BeginLoading();
  label.SetName(QStringLiteral("ZQLabel1"));
  label.setGeometry(24, 208, 393, 109);
  label.SetRowSpace(5);
  label.SetBorderWidth(0);
  label.SetMultiLine(true);
  TMarginSetup margin;
  label.SetMargin(margin);
  TUnderLine rule;
  rule.SetColor(Qt::black);
  rule.SetVisible(false);
  rule.SetStyle(psDot);
  rule.SetWidth(1);
  rule.SetFullLine(true);
  rule.SetMarginTop(2);
  rule.SetMarginBottom(3);
  label.SetUnderLine(rule);
  label.SetTransparent(false);
  // The rows are the window's About text ("|" between rows); a language pack may replace them later.
  label.SetLines(TWindowTexts().Text("AboutText").split(QLatin1Char('|')));
  label.EndLoading();
}
