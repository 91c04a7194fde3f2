#include "ui/window_settings.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <span>

#include "app/window_placement.h"

namespace tavrin::ui {

namespace {

const char* const kOrganisation = "MXF_Tavrin";
const char* const kKey = "Window/position";

app::PlacementRect to_placement(const QRect& rect) {
  return {rect.x(), rect.y(), rect.width(), rect.height()};
}

}  // namespace

void store_window_placement(const QWidget& window) {
  // The normal rectangle: a maximised window opens normal at its earlier place next time.
  const QRect normal = window.isMaximized() || window.isMinimized() || window.isFullScreen()
                           ? window.normalGeometry()
                           : window.geometry();
  const auto bytes = app::encode_placement(to_placement(normal));
  QSettings settings(QString::fromLatin1(kOrganisation));
  settings.setValue(QString::fromLatin1(kKey),
                    QByteArray(reinterpret_cast<const char*>(bytes.data()),
                               static_cast<qsizetype>(bytes.size())));
  settings.sync();
}

void restore_window_placement(QWidget& window) {
  std::vector<app::PlacementRect> screens;
  if (QScreen* primary = QGuiApplication::primaryScreen()) {
    screens.push_back(to_placement(primary->availableGeometry()));
  }
  for (QScreen* screen : QGuiApplication::screens()) {
    if (screen != QGuiApplication::primaryScreen()) {
      screens.push_back(to_placement(screen->availableGeometry()));
    }
  }
  QSettings settings(QString::fromLatin1(kOrganisation));
  const QVariant value = settings.value(QString::fromLatin1(kKey));
  QByteArray stored;
  std::optional<std::span<const uint8_t>> bytes;
  if (value.isValid()) {
    // A value of another type (text written by hand) counts as garbled.
    stored = value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QByteArray("?");
    bytes = std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(stored.constData()),
                                     static_cast<size_t>(stored.size()));
  }
  const app::PlacementRect rect = app::restore_placement(bytes, screens, app::kMinimumWindowSize);
  window.setGeometry(rect.left, rect.top, rect.width, rect.height);
}

}  // namespace tavrin::ui
