// Pictures of the page "Auf- und Abtrag" and of the zero lines on the plot
// for the sample pile. Only when ZELMARO_SCREENSHOT_DIR names a folder (see
// docs/screenshots/README.md).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "test_form.h"
#include "ui/NumberBox.h"

TEST(Screenshots, CutFillPageAndZeroLines) {
  if (qEnvironmentVariableIsEmpty("ZELMARO_SCREENSHOT_DIR")) GTEST_SKIP() << "ZELMARO_SCREENSHOT_DIR not set";
  const QString out = QDir(qEnvironmentVariable("ZELMARO_SCREENSHOT_DIR")).absolutePath();
  ASSERT_TRUE(QDir().mkpath(out));
  QTemporaryDir dir;
  const QString example = dir.filePath("halde.asc");
  ASSERT_TRUE(QFile::copy(QDir::cleanPath(QStringLiteral(ZELMARO_TEST_DATA "/../../examples/halde.asc")), example));

  TestForm form;
  ShowActive(form);
  // The window keeps the size it is given; a user looking at a plot makes
  // it larger.
  form.resize(1180, 900);
  form.files_to_choose = {example};
  form.BitBtn1->click();
  // A height through the base and the pile's foot: both meshes cross it.
  form.NumberBoxH0->SetValue(284.3);
  QTabBar* bar = form.PageControl1->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(4).center());
  QTest::qWait(200);
  EXPECT_TRUE(form.grab().save(out + "/7-auf-und-abtrag.png"));

  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(2).center());
  form.ToolButtonMesh0->click();
  form.ToolButtonMesh1->click();
  form.ToolButtonZeroLines->click();
  form.ToolButtonZoom->click();
  for (int i = 0; i < 2; ++i) QTest::mouseClick(form.Imagepp, Qt::LeftButton, Qt::NoModifier, QPoint(12, 12));
  form.ToolButtonZoom->click();
  QTest::qWait(200);
  EXPECT_TRUE(form.errors.isEmpty());
  EXPECT_TRUE(form.grab().save(out + "/8-nulllinien-halde.png"));
}
