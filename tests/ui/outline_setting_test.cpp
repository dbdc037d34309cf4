// "Randdreiecke ergänzen": the loss in the status bar, the button that closes
// it, and the setting kept between program runs.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include "test_form.h"

namespace {

const QString kKey = QStringLiteral("Vermaschung/RanddreieckeErgaenzen");

// (0, 0), (10, 0.1), (20, 0) are nearly collinear, so the triangulation
// leaves out their 1 m² triangle along the outline; (10, 30) closes the hull.
std::vector<PointLine> ThinOutline() {
  return {{1, 1, 0, 0, 1}, {2, 1, 0.1, 10, 2}, {3, 1, 0, 20, 3}, {4, 1, 30, 10, 4}};
}

TEST(OutlineSetting, StatusBarNamesTheLossAndTheButtonClosesItForGood) {
  QSettings().remove(kKey);
  QTemporaryDir dir;
  const QString file = WritePointFile(dir, "duenn.asc", ThinOutline());
  {
    TestForm form;
    EXPECT_FALSE(form.ToolButtonRand->isChecked());
    EXPECT_FALSE(form.Work().complete_outline);
    // Nothing computed yet: the setting changes without a run.
    QTest::mouseClick(form.ToolButtonRand, Qt::LeftButton);
    QTest::mouseClick(form.ToolButtonRand, Qt::LeftButton);
    EXPECT_EQ(form.runs, 0);

    form.files_to_choose = {file};
    form.BitBtn1->click();
    ASSERT_EQ(form.runs, 1);
    EXPECT_EQ(form.StatusBar1->currentMessage(),
              QStringLiteral("Bezugshorizont: 1 Randdreieck fehlt, 1.00 m² der konvexen Hülle "
                             "nicht erfasst; Gelände: 1 Randdreieck fehlt, 1.00 m² der konvexen "
                             "Hülle nicht erfasst"));
    EXPECT_EQ(form.EditA0->text().trimmed(), QStringLiteral("299.00"));
    EXPECT_EQ(form.LabelCutFillNote->text(),
              QStringLiteral("Bezugshorizont: 1 Randdreieck fehlt, 1.00 m² der konvexen Hülle "
                             "nicht erfasst\nGelände: 1 Randdreieck fehlt, 1.00 m² der konvexen "
                             "Hülle nicht erfasst"));
    EXPECT_FALSE(form.LabelCutFillNote->isHidden());

    QTest::mouseClick(form.ToolButtonRand, Qt::LeftButton);
    EXPECT_TRUE(form.Work().complete_outline);
    EXPECT_EQ(form.runs, 2);  // the results follow the setting at once
    EXPECT_EQ(form.EditA0->text().trimmed(), QStringLiteral("300.00"));
    EXPECT_EQ(form.Work().Mesh0->HowMany, 3);
    EXPECT_TRUE(form.StatusBar1->currentMessage().isEmpty());
    EXPECT_TRUE(form.LabelCutFillNote->isHidden());
    EXPECT_TRUE(form.errors.isEmpty()) << form.errors.join('\n').toStdString();
  }
  {
    TestForm again;
    EXPECT_TRUE(again.ToolButtonRand->isChecked());
    EXPECT_TRUE(again.Work().complete_outline);
    QTest::mouseClick(again.ToolButtonRand, Qt::LeftButton);
  }
  EXPECT_FALSE(QSettings().value(kKey, true).toBool());
  TestForm off;
  EXPECT_FALSE(off.Work().complete_outline);
}

}  // namespace
