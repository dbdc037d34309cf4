// The window tests need a QApplication before any widget exists; without a
// display they run on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QStyleFactory>
#include <QTemporaryDir>

#include "ui/ui_common.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // Settings the window remembers go to a folder of the test run, never to
  // the user's own.
  QTemporaryDir settings;
  QCoreApplication::setOrganizationName(QStringLiteral("ZelmaroTest"));
  QCoreApplication::setApplicationName(QStringLiteral("ZelmaroTest"));
  QSettings::setDefaultFormat(QSettings::IniFormat);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, settings.path());
  if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"))) QApplication::setStyle(style);
  QApplication::setFont(zelmaro::ui::TahomaFont());
  // As the program does: the standard dialogs speak German.
  zelmaro::ui::LoadGermanTranslations();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
