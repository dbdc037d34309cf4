#include "ui/ui_common.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QPalette>
#include <QScreen>
#include <QTranslator>
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

QString ErrorDetail(const std::exception& e) {
  const auto* io = dynamic_cast<const EInOutError*>(&e);
  if (!io || io->FileName().empty()) return QString();
  const std::string cause = io->Cause();
  return QStringLiteral("Datei: ") + QFile::decodeName(io->FileName().c_str()) +
         (cause.empty() ? QString() : QStringLiteral(" (%1)").arg(QString::fromUtf8(cause.c_str())));
}

void ShowNumberState(QWidget* field, bool is_number, bool negative) {
  const QPalette normal = QApplication::palette(field);
  QPalette pal = field->palette();
  pal.setColor(QPalette::Text, negative || !is_number ? QColor(Qt::red) : normal.color(QPalette::Text));
  pal.setColor(QPalette::Base, is_number ? normal.color(QPalette::Base) : QColor(255, 220, 220));
  field->setPalette(pal);
  field->setProperty("noNumber", !is_number);
}

bool LoadGermanTranslations() {
  // One translator for the program run; installed once.
  static QTranslator* translator = nullptr;
  if (translator) return true;
  auto* t = new QTranslator(qApp);
  if (!t->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete t;
    return false;
  }
  QCoreApplication::installTranslator(t);
  translator = t;
  return true;
}

}  // namespace zelmaro::ui
