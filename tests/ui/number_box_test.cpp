// The reference-height field as the user works it: keys, wheel, typing, and
// the program's assignments with and without limits.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <QTest>
#include <QWheelEvent>

#include "ui/NumberBox.h"

namespace {

struct Field {
  TNumberBox box;
  int changes = 0;
  Field() {
    box.OnChangeValue = [this] { ++changes; };
    box.show();
    box.activateWindow();
    box.setFocus();
  }
  void Wheel(int angle) {
    QWheelEvent event(QPointF(5, 5), box.mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, angle),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&box, &event);
  }
  void Type(const char* text) {
    box.selectAll();
    QTest::keyClicks(&box, text);
  }
};

}  // namespace

TEST(NumberBox, StepsByKeysAndWheelWithThreeDecimals) {
  Field f;
  EXPECT_EQ(f.box.text(), QStringLiteral("0.000"));
  QTest::keyClick(&f.box, Qt::Key_Up);
  EXPECT_EQ(f.box.text(), QStringLiteral("0.010"));
  QTest::keyClick(&f.box, Qt::Key_PageUp);
  EXPECT_EQ(f.box.text(), QStringLiteral("0.110"));
  QTest::keyClick(&f.box, Qt::Key_PageDown);
  QTest::keyClick(&f.box, Qt::Key_PageDown);
  EXPECT_EQ(f.box.text(), QStringLiteral("-0.090"));
  EXPECT_EQ(f.changes, 4);

  f.Wheel(120);
  EXPECT_EQ(f.box.text(), QStringLiteral("-0.080"));
  f.Wheel(-240);  // two notches at once
  EXPECT_EQ(f.box.text(), QStringLiteral("-0.100"));
  // A fine-grained wheel steps once its turns add up to a notch.
  f.Wheel(60);
  EXPECT_EQ(f.box.text(), QStringLiteral("-0.100"));
  f.Wheel(60);
  EXPECT_EQ(f.box.text(), QStringLiteral("-0.090"));
  EXPECT_EQ(f.changes, 8);
}

TEST(NumberBox, NegativeValuesAreRedAndEmptyShowsThePlaceholder) {
  Field f;
  const QColor normal = f.box.palette().color(QPalette::Text);
  EXPECT_NE(normal, QColor(Qt::red));
  f.box.SetValue(-1.5);
  EXPECT_EQ(f.box.text(), QStringLiteral("-1.500"));
  EXPECT_EQ(f.box.palette().color(QPalette::Text), QColor(Qt::red));
  f.box.SetValue(2);
  EXPECT_EQ(f.box.palette().color(QPalette::Text), normal);
  EXPECT_EQ(f.box.placeholderText(), QStringLiteral("Bezugshöhe"));
}

TEST(NumberBox, UserEditsRaiseTheEventOnlyForADifferentNumber) {
  Field f;
  f.box.SetValue(286.684);
  EXPECT_EQ(f.changes, 1);
  f.Type("286.684");  // every keystroke leaves a number; only the last equals the value
  const int after_typing = f.changes;
  EXPECT_EQ(f.box.text(), QStringLiteral("286.684"));
  EXPECT_EQ(f.box.Value(), 286.684);
  f.Type("286.6840");  // the same number: no event, the text stays as typed
  EXPECT_EQ(f.box.DisplayText(), QStringLiteral("286.6840"));
  EXPECT_GT(after_typing, 1);
  const int before = f.changes;
  QTest::keyClick(&f.box, Qt::Key_End);
  QTest::keyClick(&f.box, Qt::Key_Backspace);  // "286.684": same number again
  EXPECT_EQ(f.changes, before);
  f.Type("abc");  // no number: the value stays
  EXPECT_EQ(f.box.Value(), 286.684);
  EXPECT_EQ(f.changes, before);

  // Emptied by the user: the program's assignment of the same value still
  // counts as a change and brings back the three decimals.
  f.box.selectAll();
  QTest::keyClick(&f.box, Qt::Key_Delete);
  EXPECT_TRUE(f.box.text().isEmpty());
  f.box.SetValue(286.684);
  EXPECT_EQ(f.changes, before + 1);
  EXPECT_EQ(f.box.text(), QStringLiteral("286.684"));
  f.box.SetValue(286.684);
  EXPECT_EQ(f.changes, before + 1);
}

TEST(NumberBox, LimitsClampOnlyWhenTheyDiffer) {
  Field f;
  f.box.SetValue(250);
  f.box.SetMinValue(280);  // min 280, max 0: limited to 0 .. 280, 250 stays
  EXPECT_EQ(f.box.Value(), 250.0);
  f.box.SetMaxValue(300);  // 280 .. 300: 250 is outside, set again
  EXPECT_EQ(f.box.Value(), 280.0);
  EXPECT_EQ(f.box.text(), QStringLiteral("280.000"));
  f.box.SetValue(999);
  EXPECT_EQ(f.box.Value(), 300.0);
  f.Type("1");
  EXPECT_EQ(f.box.Value(), 280.0);
  EXPECT_EQ(f.box.text(), QStringLiteral("1"));

  // The model driven behind the widget's back (the balance does that) shows
  // once the window syncs the field.
  f.box.Model().SetValue(290);
  f.box.SyncFromModel();
  EXPECT_EQ(f.box.text(), QStringLiteral("290.000"));
}
