#include "document/KEPAteloIcons.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QTransform>
#include <cstring>

namespace {

// Freedesktop names of the desktop theme's icons that mean the same as ours.
struct ThemeName {
  const char* name;
  const char* theme;
  // The theme's icon turned left to right (a play button played backwards).
  bool mirrored;
};

constexpr ThemeName kThemeNames[] = {
    {"i3std001", "document-new", false},
    {"i3std002", "document-open", false},
    {"i3std003", "document-save", false},
    {"i3std004", "document-print", false},
    {"i3std005", "edit-undo", false},
    {"i3std006", "edit-redo", false},
    {"i3std007", "edit-copy", false},
    {"i3std008", "edit-paste", false},
    {"i3std009", "edit-cut", false},
    {"i3std019", "zoom-original", false},
    {"atvleft", "object-rotate-left", false},
    {"atvright", "object-rotate-right", false},
    {"atvsymv", "object-flip-vertical", false},
    {"atvsymh", "object-flip-horizontal", false},
    {"atvfbwd", "media-playback-start", true},
    {"atvbwd", "media-skip-backward", false},
    {"atvstop", "media-playback-stop", false},
    {"atvfwd", "media-skip-forward", false},
    {"atvffwd", "media-playback-start", false},
};

QIcon Mirrored(const QIcon& icon) {
  QIcon mirrored;
  for (int size : {16, 22, 24, 32, 48, 64}) {
    for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
      QImage image = icon.pixmap(QSize(size, size), mode).toImage();
      if (!image.isNull())
        mirrored.addPixmap(QPixmap::fromImage(image.mirrored(true, false)), mode);
    }
  }
  return mirrored;
}

}  // namespace

// The resources live in a static library: they are registered by name.
static void InitIconResources() {
  static const bool done = [] {
    Q_INIT_RESOURCE(icons);
    return true;
  }();
  (void)done;
}

QIcon KEPAteloIcon(const char* name) {
  if (!name || !*name) return QIcon();
  InitIconResources();
  for (const ThemeName& entry : kThemeNames) {
    if (std::strcmp(entry.name, name) != 0 || !QIcon::hasThemeIcon(entry.theme)) continue;
    QIcon themed = QIcon::fromTheme(entry.theme);
    return entry.mirrored ? Mirrored(themed) : themed;
  }
  const QString own = QString(":/icons/%1.svg").arg(name);
  return QFile::exists(own) ? QIcon(own) : QIcon();
}
