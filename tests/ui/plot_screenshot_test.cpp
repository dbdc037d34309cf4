// A picture of the plot page for looking at the drawing: the sample pile
// after a run, with both meshes and their contour lines. Only when
// ZELMARO_SCREENSHOT_DIR names a folder (see docs/screenshots/README.md);
// with ZELMARO_PLOT_PDF set the plot is printed into that PDF file as well.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "test_form.h"

TEST(Screenshots, PlotWithMeshesAndContours) {
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
  QTabBar* bar = form.PageControl1->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(2).center());
  form.EditHLIntervall->setText(QStringLiteral("0.5"));
  form.ToolButtonIsoline->click();
  form.ToolButtonMesh0->click();
  form.ToolButtonMesh1->click();
  // Closer, about the pile's north-west: the fit was made for the small window.
  form.ToolButtonZoom->click();
  for (int i = 0; i < 3; ++i) QTest::mouseClick(form.Imagepp, Qt::LeftButton, Qt::NoModifier, QPoint(12, 12));
  form.ToolButtonZoom->click();
  QTest::qWait(200);
  EXPECT_TRUE(form.errors.isEmpty());
  EXPECT_TRUE(form.grab().save(out + "/6-punktgrafik-halde.png"));

  if (!qEnvironmentVariableIsEmpty("ZELMARO_PLOT_PDF")) {
    form.Printer().setOutputFormat(QPrinter::PdfFormat);
    form.Printer().setOutputFileName(qEnvironmentVariable("ZELMARO_PLOT_PDF"));
    // Without an installed printer the print asks for the file: the same one.
    form.pdf_files_to_choose = {qEnvironmentVariable("ZELMARO_PLOT_PDF")};
    form.ToolButtonPNR->click();
    form.ToolButtonDruck->click();
    EXPECT_TRUE(form.errors.isEmpty());
  }
}
