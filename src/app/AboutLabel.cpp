#include "app/AboutLabel.h"

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
  label.SetLines({
      QStringLiteral("感谢以下网友在试用中帮忙测试并报告问题："),
      QString(),
      QStringLiteral("铣刀老王、数控小白、钢屑飞扬、ZhangWorks、MillerMike"),
      QString(),
      QStringLiteral("祝大家新春快乐，万事如意！"),
  });
  label.EndLoading();
}
