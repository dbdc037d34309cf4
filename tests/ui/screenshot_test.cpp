// Pictures of the four pages and the info window for looking at the layout.
// Only when ZELMARO_SCREENSHOT_DIR names a folder; best run on a real display
// (an X server such as Xvfb), where the window has its frame and fonts.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "test_form.h"
#include "ui/Unit2.h"

TEST(Screenshots, PagesAndInfoWindow) {
  const QString out = QDir(qEnvironmentVariable("ZELMARO_SCREENSHOT_DIR")).absolutePath();
  if (qEnvironmentVariableIsEmpty("ZELMARO_SCREENSHOT_DIR")) GTEST_SKIP() << "ZELMARO_SCREENSHOT_DIR not set";
  ASSERT_TRUE(QDir().mkpath(out));
  QTemporaryDir dir;
  const QString example = dir.filePath("halde.asc");
  ASSERT_TRUE(QFile::copy(QDir::cleanPath(QStringLiteral(ZELMARO_TEST_DATA "/../../examples/halde.asc")), example));

  // A plain file name in the picture: run in the folder of the copy.
  const QString previous_dir = QDir::currentPath();
  QDir::setCurrent(dir.path());
  TestForm form;
  TForm2 info;
  form.SetInfoWindow(&info);
  ShowActive(form);
  form.EditBem->setText(QStringLiteral("Halde Süd, Aufmaß März"));
  form.files_to_choose = {QStringLiteral("halde.asc")};
  form.BitBtn1->click();
  QTest::qWait(100);

  const QStringList names = {"1-eingabedaten", "2-punktliste", "3-punktgrafik", "4-protokoll"};
  for (int page : {0, 1, 3, 2}) {
    QTabBar* bar = form.PageControl1->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(page).center());
    QTest::qWait(200);
    EXPECT_TRUE(form.grab().save(out + "/" + names[page] + ".png"));
  }
  form.ToolButton4->click();
  QTest::qWait(200);
  EXPECT_TRUE(info.grab().save(out + "/5-programminfo.png"));
  QDir::setCurrent(previous_dir);
}
