#include "app/Skin.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

static void InitSkimplaneResources() {
  Q_INIT_RESOURCE(skimplane);
}

namespace {

struct TNamedColor {
  const char* name;
  QRgb rgb;
};

// The skin's named colours. "ContentColor" is the one the program itself asks for.
constexpr TNamedColor kSkinColors[] = {
    {"ContentColor", qRgb(243, 245, 247)},
    {"ButtonFace", qRgb(226, 231, 238)},
    {"Frame", qRgb(138, 154, 174)},
    {"Highlight", qRgb(52, 112, 184)},
};

}  // namespace

QColor SkinColor(const QString& name) {
  for (const auto& c : kSkinColors)
    if (name == QLatin1String(c.name)) return QColor(c.rgb);
  return {};
}

QColor ContentColor() {
  const QColor c = SkinColor(QStringLiteral("ContentColor"));
  return c.isValid() ? c : QApplication::palette().color(QPalette::Base);
}

QColor ButtonFaceColor() {
  return SkinColor(QStringLiteral("ButtonFace"));
}

QString WindowFontFamily() {
  return QString::fromUtf8("宋体");
}

void InstallFontSubstitutions() {
  // SimSun and MingLiU rarely exist outside Windows. Qt tries the substitutes in order and takes the first
  // one installed; the Noto CJK families cover every caption of the window, so no caption turns into boxes,
  // and their own Latin letters keep a caption in one font of one height (a Latin font with CJK glyphs
  // borrowed from a taller font would push the line down and cut its descenders).
  const QStringList simplified = {QStringLiteral("Noto Sans CJK SC"),   QStringLiteral("Noto Serif CJK SC"),
                                  QStringLiteral("Source Han Sans SC"), QStringLiteral("WenQuanYi Micro Hei"),
                                  QStringLiteral("WenQuanYi Zen Hei"),  QStringLiteral("AR PL UMing CN"),
                                  QStringLiteral("Droid Sans Fallback")};
  for (const QString& family : {WindowFontFamily(), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                                QString::fromUtf8("新宋体"), QString::fromUtf8("宋体-PUA")})
    QFont::insertSubstitutions(family, simplified);
  const QStringList traditional = {
      QStringLiteral("Noto Sans CJK TC"),   QStringLiteral("Noto Serif CJK TC"),
      QStringLiteral("Source Han Sans TC"), QStringLiteral("WenQuanYi Micro Hei"),
      QStringLiteral("WenQuanYi Zen Hei"),  QStringLiteral("AR PL UMing TW"),
      QStringLiteral("Droid Sans Fallback")};
  for (const QString& family : {QString::fromUtf8("細明體"), QString::fromUtf8("新細明體"),
                                QStringLiteral("MingLiU"), QStringLiteral("PMingLiU")})
    QFont::insertSubstitutions(family, traditional);
  // Tahoma, the Latin packs' font, is not free. At the window's 13 pixels Liberation Sans sets every
  // caption within three pixels of its width in Tahoma, where fontconfig's own choice for an unknown sans
  // (DejaVu Sans) is a tenth wider and pushes captions into the fields beside them.
  QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                             {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
}

void InitResources() {
  static const bool done = (InitSkimplaneResources(), true);
  (void)done;
}

void ApplySkin(QApplication& app) {
  InitResources();
  InstallFontSubstitutions();
  app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

  QPalette pal = app.style()->standardPalette();
  const QColor face = ButtonFaceColor();
  pal.setColor(QPalette::Window, face);
  pal.setColor(QPalette::Button, QColor(236, 240, 245));
  pal.setColor(QPalette::Base, Qt::white);
  pal.setColor(QPalette::AlternateBase, ContentColor());
  pal.setColor(QPalette::WindowText, Qt::black);
  pal.setColor(QPalette::ButtonText, Qt::black);
  pal.setColor(QPalette::Text, Qt::black);
  pal.setColor(QPalette::Highlight, SkinColor(QStringLiteral("Highlight")));
  pal.setColor(QPalette::HighlightedText, Qt::white);
  pal.setColor(QPalette::Light, Qt::white);
  pal.setColor(QPalette::Midlight, QColor(236, 240, 245));
  pal.setColor(QPalette::Mid, QColor(176, 188, 204));
  pal.setColor(QPalette::Dark, SkinColor(QStringLiteral("Frame")));
  pal.setColor(QPalette::Shadow, QColor(96, 108, 124));
  pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(150, 150, 150));
  pal.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(150, 150, 150));
  pal.setColor(QPalette::Disabled, QPalette::Text, QColor(150, 150, 150));
  app.setPalette(pal);

  QFile qss(QStringLiteral(":/skimplane/skin.qss"));
  if (qss.open(QIODevice::ReadOnly)) app.setStyleSheet(QString::fromUtf8(qss.readAll()));
}
