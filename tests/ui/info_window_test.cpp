// The info window: its fixed text and layout, and edits that live as long as
// the program does.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <QCoreApplication>
#include <QTimer>

#include "test_form.h"
#include "ui/Unit2.h"

TEST(InfoWindow, ShowsTheSeventeenLinesWithTheirBlanks) {
  TForm2 info;
  EXPECT_FALSE(info.isVisible());
  EXPECT_EQ(info.windowTitle(), QStringLiteral("Programminfo"));
  EXPECT_EQ(info.RichEdit1->size(), QSize(438, 275));
  QTextDocument* doc = info.RichEdit1->document();
  ASSERT_EQ(doc->blockCount(), 17);
  const QStringList lines = TForm2::InfoLines();
  for (int i = 0; i < 17; ++i) EXPECT_EQ(doc->findBlockByNumber(i).text(), lines[i]) << i;
  EXPECT_EQ(lines[0], QStringLiteral("Programm zur Berechnung von Massen nach dem Prismenverfahren."));
  EXPECT_EQ(lines[4], QStringLiteral("Punktnummer Code              Y                       X              Z"));
  EXPECT_EQ(lines[5], QStringLiteral(" 64                     9    3486946.169  5656820.914    286.684"));
  EXPECT_EQ(lines[7], QStringLiteral("Die Dateiendung wird  zweckmäßig mit .ASC gewählt."));
  EXPECT_EQ(lines[8], QStringLiteral("Code  0 bezeichnet einen Punkt des Deckgeländes."));
  EXPECT_EQ(lines[9], QStringLiteral("Code  1 beteichnet einen Punkt des Bezugshorizonts."));
  EXPECT_EQ(lines[15], QStringLiteral("Eine Protokolldatei mit der Endung .LST wird automatisch erzeugt."));
  EXPECT_TRUE(lines[16].isEmpty());
  EXPECT_FALSE(lines[1].isEmpty());
  EXPECT_FALSE(lines[2].isEmpty());

  EXPECT_EQ(info.RichEdit1->geometry().topLeft(), QPoint(0, 0));
  EXPECT_EQ(info.ButtonClose->text(), QStringLiteral("Schließen"));
  EXPECT_EQ(info.RichEdit1->palette().color(QPalette::Base), QColor(0, 255, 255));
  EXPECT_EQ(info.RichEdit1->lineWrapMode(), QTextEdit::WidgetWidth);
  EXPECT_EQ(info.RichEdit1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(info.RichEdit1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_FALSE(info.RichEdit1->isReadOnly());
}

TEST(InfoWindow, EditsSurviveClosingAndReopening) {
  TestForm form;
  TForm2 info;
  form.SetInfoWindow(&info);
  ASSERT_TRUE(ShowActive(form));
  form.ToolButton4->click();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&info));
  EXPECT_TRUE(form.isVisible());  // not modal: both windows stay usable
  EXPECT_FALSE(info.isModal());

  info.RichEdit1->moveCursor(QTextCursor::Start);
  QTest::keyClicks(info.RichEdit1, "Notiz ");
  QTest::keyClick(info.RichEdit1, Qt::Key_Escape);  // Escape closes, as the button does
  EXPECT_FALSE(info.isVisible());
  EXPECT_TRUE(form.isVisible());

  form.ToolButton4->click();
  EXPECT_TRUE(info.isVisible());
  EXPECT_TRUE(info.RichEdit1->toPlainText().startsWith(QStringLiteral("Notiz Programm zur Berechnung")));
  // A second click while shown only brings it to the front.
  form.ToolButton4->click();
  EXPECT_TRUE(info.isVisible());
  EXPECT_TRUE(info.RichEdit1->toPlainText().startsWith(QStringLiteral("Notiz ")));
  info.ButtonClose->click();
  EXPECT_FALSE(info.isVisible());

  // A new window (the next program start) has the text as it was.
  TForm2 fresh;
  EXPECT_EQ(fresh.RichEdit1->toPlainText(), TForm2::InfoLines().join(QLatin1Char('\n')));
}

TEST(InfoWindow, ClosingTheMainWindowEndsTheProgramWhileItIsShown) {
  TestForm form;
  TForm2 info;
  form.SetInfoWindow(&info);
  ASSERT_TRUE(ShowActive(form));
  form.ToolButton4->click();
  ASSERT_TRUE(info.isVisible());
  // The message loop must end by itself once the main window is closed.
  bool gave_up = false;
  QTimer give_up;
  give_up.setSingleShot(true);
  QObject::connect(&give_up, &QTimer::timeout, [&] {
    gave_up = true;
    QCoreApplication::quit();
  });
  give_up.start(3000);
  QTimer::singleShot(0, &form, [&form] { form.close(); });
  QCoreApplication::exec();
  EXPECT_FALSE(gave_up);
}
