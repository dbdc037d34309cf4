#include "ui/ui_common.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <new>

#include "text/errors.h"

namespace zelmaro::ui {

QFont TahomaFont(bool bold) {
  QFont font(QStringLiteral("Tahoma"));
  // Where Tahoma is missing a condensed face keeps the designed text widths.
  font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"),
                    QStringLiteral("Liberation Sans Narrow")});
  font.setPixelSize(11);
  font.setBold(bold);
  return font;
}

QFont CourierFont() {
  QFont font(QStringLiteral("Courier"));
  font.setStyleHint(QFont::TypeWriter);
  font.setPixelSize(11);
  return font;
}

void CentreOnScreen(QWidget* window, bool work_area) {
  QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = work_area ? screen->availableGeometry() : screen->geometry();
  const QSize outer = window->frameGeometry().size();
  window->move(area.x() + (area.width() - outer.width()) / 2,
               area.y() + (area.height() - outer.height()) / 2);
}

QString ErrorText(const std::exception& e) { return QString::fromUtf8(zelmaro::ErrorMessage(e).c_str()); }

}  // namespace zelmaro::ui
