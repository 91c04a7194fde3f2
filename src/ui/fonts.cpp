#include "ui/fonts.h"

namespace tavrin::ui {

namespace {

QFont make_font(const char* family, int pixelHeight, int weight) {
  QFont font(QString::fromLatin1(family));
  font.setPixelSize(pixelHeight);
  font.setWeight(static_cast<QFont::Weight>(weight));
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

}  // namespace

QFont japanese_font(int pixelHeight, int weight) {
  return make_font(kJapaneseFamily, pixelHeight, weight);
}

QFont monospace_font(int pixelHeight, int weight) {
  QFont font = make_font(kMonospaceFamily, pixelHeight, weight);
  font.setStyleHint(QFont::Monospace);
  return font;
}

QFont dialog_font() {
  QFont font(QString::fromLatin1(kJapaneseFamily));
  font.setPointSize(9);
  return font;
}

}  // namespace tavrin::ui
