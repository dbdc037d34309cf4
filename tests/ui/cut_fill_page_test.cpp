// The page "Auf- und Abtrag" filled by the runs of the window, and the zero
// line toggle of the plot page.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "test_form.h"
#include "ui/NumberBox.h"

namespace {

QString Value(const TForm1& f, int row, int column) {
  const QTableWidgetItem* item = f.CutFillTable->item(row, column);
  return item ? item->text() : QStringLiteral("<none>");
}

}  // namespace

TEST(CutFillPage, FifthPageFollowsEveryRunAndTakesNotes) {
  QTemporaryDir dir;
  TestForm form;
  ASSERT_EQ(form.PageControl1->count(), 5);
  EXPECT_EQ(form.PageControl1->tabText(3), QStringLiteral("Protokoll"));
  EXPECT_EQ(form.PageControl1->tabText(4), QStringLiteral("Auf- und Abtrag"));
  EXPECT_EQ(form.LabelCutFillH0->text(), QStringLiteral("Noch keine Berechnung"));
  EXPECT_EQ(Value(form, 0, 1), QString());

  // A 10 x 10 m terrain 2 m over a flat reference horizon at 280 m, with
  // the reference corners listed after the terrain's so that the terrain
  // keeps its own heights there.
  form.files_to_choose = {WritePointFile(dir, "halde.asc",
                                         {{1, 0, 0, 0, 282}, {2, 0, 10, 0, 282}, {3, 0, 10, 10, 282},
                                          {4, 0, 0, 10, 282}, {5, 1, 0, 0, 280}, {6, 1, 10, 0, 280},
                                          {7, 1, 10, 10, 280}, {8, 1, 0, 10, 280}})};
  form.BitBtn1->click();  // H0 = MinZ = 280
  ASSERT_TRUE(form.errors.isEmpty()) << form.errors.join("\n").toStdString();
  EXPECT_EQ(form.LabelCutFillH0->text(), QStringLiteral("Bezugshöhe 280.000 m"));
  EXPECT_EQ(form.CutFillTable->item(0, 0)->text(), QStringLiteral("Triangulierte Fläche m²"));
  EXPECT_EQ(Value(form, 0, 1), QStringLiteral("100.00"));
  EXPECT_EQ(Value(form, 4, 2), QStringLiteral("200.00"));  // terrain volume above H0
  EXPECT_EQ(Value(form, 4, 1), QStringLiteral("0.00"));    // the reference lies on H0
  EXPECT_EQ(form.CutFillTable->item(7, 0)->text(), QStringLiteral("Auftrag m³ (Gelände über Bezugshorizont)"));
  EXPECT_EQ(Value(form, 7, 1), QStringLiteral("200.00"));
  EXPECT_EQ(Value(form, 11, 1), QStringLiteral("100.00"));  // common area

  // The next run replaces the figures.
  form.NumberBoxH0->SetValue(281);
  EXPECT_EQ(form.LabelCutFillH0->text(), QStringLiteral("Bezugshöhe 281.000 m"));
  EXPECT_EQ(Value(form, 4, 2), QStringLiteral("100.00"));
  EXPECT_EQ(Value(form, 5, 1), QStringLiteral("100.00"));  // reference 1 m below H0

  EXPECT_TRUE(form.LabelCutFillNote->isHidden());
  form.SetCutFillNote(QStringLiteral("Gelände: 2 Randdreiecke fehlen"));
  EXPECT_FALSE(form.LabelCutFillNote->isHidden());
  EXPECT_EQ(form.LabelCutFillNote->text(), QStringLiteral("Gelände: 2 Randdreiecke fehlen"));
  form.SetCutFillNote(QString());
  EXPECT_TRUE(form.LabelCutFillNote->isHidden());
}

TEST(CutFillPage, ZeroLineToggleRedrawsThePlotInTheMeshColour) {
  QTemporaryDir dir;
  TestForm form;
  ASSERT_TRUE(ShowActive(form));
  form.files_to_choose = {WritePointFile(dir, "halde.asc", SquareSurvey(280, 300))};
  form.BitBtn1->click();
  form.NumberBoxH0->SetValue(290);  // through the terrain
  QTabBar* bar = form.PageControl1->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(2).center());
  form.ToolButtonMesh1->click();
  auto red = [&form] {
    int n = 0;
    const QImage& image = form.PlotBitmap();
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xFFFFFF) == 0xFF0000;
    return n;
  };
  const int triangles_only = red();
  form.ToolButtonZeroLines->click();
  EXPECT_GT(red(), triangles_only);
  form.ToolButtonZeroLines->click();
  EXPECT_EQ(red(), triangles_only);
  EXPECT_TRUE(form.errors.isEmpty());
}
