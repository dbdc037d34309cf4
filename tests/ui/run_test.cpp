// The computation run and the mass balance started from the window: what
// lands in the protocol pane and the result fields, how many runs the
// commands make, and what a failing run leaves.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <cmath>

#include "test_form.h"
#include "text/format.h"
#include "ui/NumberBox.h"

namespace {

// The protocol file's lines, Windows-1252 with CR LF.
QStringList ProtocolLines(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QString text = QString::fromLatin1(file.readAll());  // ä, ö: the same bytes in both
  EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n")));
  text.chop(2);
  return text.split(QStringLiteral("\r\n"));
}

QStringList PaneLines(const QPlainTextEdit* pane) {
  QStringList lines;
  for (QTextBlock b = pane->document()->begin(); b.isValid(); b = b.next()) lines << b.text();
  return lines;
}

QStringList ResultFields(const TForm1& f) {
  return {f.EditA0->text(), f.EditM0->text(), f.EditA1->text(),
          f.EditM1->text(), f.EditA2->text(), f.EditM2->text()};
}

struct Loaded {
  QTemporaryDir dir;
  TestForm form;
  QString file;
  explicit Loaded(const std::vector<PointLine>& points = SquareSurvey(280, 300)) {
    file = WritePointFile(dir, "halde.asc", points);
    form.EditBem->setText(QStringLiteral("Halde Süd"));
    form.files_to_choose = {file};
    form.BitBtn1->click();
  }
  QString Protocol() const { return dir.filePath("halde.LST"); }
};

}  // namespace

TEST(Run, FillsThePaneWithTheProtocolLinesAndTheSixFields) {
  Loaded l;
  ASSERT_EQ(l.form.runs, 1);
  ASSERT_TRUE(l.form.errors.isEmpty()) << l.form.errors.join('\n').toStdString();
  const QStringList file = ProtocolLines(l.Protocol());
  ASSERT_GT(file.size(), 6);
  EXPECT_EQ(PaneLines(l.form.ProtocolPane()), file);
  EXPECT_EQ(file[0], QStringLiteral("Massenberechnung Zelmaro Ver. 1.1"));
  EXPECT_EQ(file[1], QStringLiteral("Halde Süd"));
  EXPECT_EQ(file[2], QStringLiteral("Höhenbezug280.000 m"));
  EXPECT_TRUE(file.last().startsWith(QStringLiteral("Differenz Gelände - Bezugshorizont:   ")));

  for (const QString& field : ResultFields(l.form)) EXPECT_FALSE(field.trimmed().isEmpty());
  const zelmaro::Workspace& ws = l.form.Work();
  EXPECT_EQ(l.form.EditM2->text().toStdString(), zelmaro::Format("%10.2f", ws.m1 - ws.m0));
  EXPECT_EQ(l.form.EditM0->text().toDouble(), std::round(ws.m0 * 100) / 100);
  EXPECT_GT(ws.sumA0, 0);
  EXPECT_GT(ws.SumA1, 0);

  // The tool button runs again on the file as it is now on disk.
  l.form.EditBem->clear();
  l.form.ToolButton1->click();
  EXPECT_EQ(l.form.runs, 2);
  EXPECT_EQ(ProtocolLines(l.Protocol())[1], QString());
  EXPECT_EQ(PaneLines(l.form.ProtocolPane()), ProtocolLines(l.Protocol()));
}

TEST(Run, ProtocolShowsTheFieldAsTypedWhileTheUserEdits) {
  Loaded l;
  l.form.NumberBoxH0->setFocus();
  l.form.NumberBoxH0->selectAll();
  QTest::keyClicks(l.form.NumberBoxH0, "285.50");
  // "2", "28", "285", "285.5" are new numbers; "285." and "285.50" are not.
  EXPECT_EQ(l.form.runs, 5);
  QTest::keyClick(l.form.NumberBoxH0, Qt::Key_Up);
  EXPECT_EQ(ProtocolLines(l.Protocol())[2], QStringLiteral("Höhenbezug285.510 m"));
  l.form.NumberBoxH0->selectAll();
  QTest::keyClicks(l.form.NumberBoxH0, "4");
  EXPECT_EQ(ProtocolLines(l.Protocol())[2], QStringLiteral("Höhenbezug4 m"));
  EXPECT_TRUE(l.form.errors.isEmpty());
}

TEST(Run, BalanceButtonsEndAtTheBalanceHeight) {
  {
    Loaded l;
    ASSERT_EQ(l.form.NumberBoxH0->Value(), 280.0);
    l.form.SpeedButton1->click();
    ASSERT_TRUE(l.form.errors.isEmpty()) << l.form.errors.join('\n').toStdString();
    // Two runs at the start value 290, one at the balance height.
    EXPECT_EQ(l.form.runs, 1 + 3);
    EXPECT_LT(std::fabs(l.form.Work().m0), 0.001);
    const double h = l.form.NumberBoxH0->Value();
    EXPECT_GT(h, 280.0);
    EXPECT_LT(h, 282.0);
    // The field shows the height computed with, not a rounding of it: the
    // text reads back as the very value.
    EXPECT_EQ(l.form.NumberBoxH0->text().toDouble(), h);
    EXPECT_GT(l.form.NumberBoxH0->text().size(), QStringLiteral("280.000").size());
    EXPECT_EQ(l.form.LabelCutFillH0->text(), "Bezugshöhe " + l.form.NumberBoxH0->text() + " m");
    EXPECT_EQ(ProtocolLines(l.Protocol())[2], QStringLiteral("Höhenbezug") + l.form.NumberBoxH0->text() +
                                                  QStringLiteral(" m"));
    EXPECT_EQ(PaneLines(l.form.ProtocolPane()), ProtocolLines(l.Protocol()));
  }
  {
    Loaded l;
    l.form.SpeedButton2->click();
    ASSERT_TRUE(l.form.errors.isEmpty()) << l.form.errors.join('\n').toStdString();
    // Two runs at the start value, two at the balance height.
    EXPECT_EQ(l.form.runs, 1 + 4);
    EXPECT_LT(std::fabs(l.form.Work().m1), 0.001);
    EXPECT_EQ(ProtocolLines(l.Protocol())[2], QStringLiteral("Höhenbezug") + l.form.NumberBoxH0->text() +
                                                  QStringLiteral(" m"));
  }
}

TEST(Run, BalanceWithoutAPointFileDoesNothing) {
  TestForm form;
  form.SpeedButton1->click();
  form.SpeedButton2->click();
  EXPECT_EQ(form.runs, 0);
  EXPECT_TRUE(form.errors.isEmpty());
  EXPECT_EQ(form.NumberBoxH0->text(), QStringLiteral("0.000"));
}

// A protocol that cannot be written once left nothing but "Dateizugriff
// verweigert": the figures are shown all the same, and one report names the
// file and the reason.
TEST(Run, UnwritableProtocolStillShowsTheResultsAndSaysSoOnce) {
  Loaded l;
  ASSERT_TRUE(l.form.errors.isEmpty());
  const QStringList fields = ResultFields(l.form);
  // A folder where the protocol file should be: it cannot be created.
  QFile::remove(l.Protocol());
  ASSERT_TRUE(QDir(l.dir.path()).mkdir(QStringLiteral("halde.LST")));

  l.form.NumberBoxH0->setFocus();
  QTest::keyClick(l.form.NumberBoxH0, Qt::Key_Up);
  ASSERT_EQ(l.form.errors.size(), 1);
  EXPECT_EQ(l.form.errors[0], "Die Protokolldatei '" + l.Protocol() +
                                  "' konnte nicht geschrieben werden: Dateizugriff verweigert");
  EXPECT_EQ(l.form.NumberBoxH0->text(), QStringLiteral("280.010"));
  EXPECT_NE(ResultFields(l.form), fields);
  for (const QString& field : ResultFields(l.form)) EXPECT_FALSE(field.trimmed().isEmpty());
  EXPECT_EQ(PaneLines(l.form.ProtocolPane()).value(2), QStringLiteral("Höhenbezug280.010 m"));
  EXPECT_TRUE(QFileInfo(l.Protocol()).isDir());
  EXPECT_TRUE(l.form.LabelCutFillH0->text().contains(QStringLiteral("280.010")));

  // The balance ends with the failing run's report, once.
  l.form.SpeedButton1->click();
  EXPECT_EQ(l.form.errors.size(), 2);
}

// The pane is filled when its page is shown, with the last protocol made:
// a run that could not make one leaves it to the run before.
TEST(Run, APaneShownLaterHasTheLastProtocolMade) {
  Loaded l;
  const QStringList first = ProtocolLines(l.Protocol());
  ASSERT_GT(first.size(), 6);
  QFile::remove(l.Protocol());
  ASSERT_TRUE(QDir(l.dir.path()).mkdir(QStringLiteral("halde.LST")));
  l.form.ToolButton1->click();
  ASSERT_EQ(l.form.errors.size(), 1);
  EXPECT_EQ(PaneLines(l.form.ProtocolPane()), first);

  ASSERT_TRUE(QDir(l.dir.path()).rmdir(QStringLiteral("halde.LST")));
  l.form.EditBem->setText(QStringLiteral("Halde Nord"));
  l.form.ToolButton1->click();
  l.form.EditBem->setText(QStringLiteral("Halde West"));
  l.form.ToolButton1->click();
  ASSERT_EQ(l.form.errors.size(), 1);
  const QStringList last = ProtocolLines(l.Protocol());
  EXPECT_EQ(last[1], QStringLiteral("Halde West"));
  EXPECT_EQ(PaneLines(l.form.ProtocolPane()), last);
}

TEST(Run, CoincidenceIsShownOncePerRun) {
  Loaded l;
  zelmaro::RunHost& host = l.form;
  // The triangulation reports every coincidence; the window shows one box
  // per run and starts afresh with the next run.
  host.Coincidence();
  host.Coincidence();
  host.Coincidence();
  EXPECT_EQ(l.form.coincidence_boxes, 1);
  l.form.ToolButton1->click();
  EXPECT_EQ(l.form.coincidence_boxes, 1);
  host.Coincidence();
  host.Coincidence();
  EXPECT_EQ(l.form.coincidence_boxes, 2);
}

namespace {

// Records what the run reports while it works, and what the window shows
// at that moment.
class ProgressForm : public TestForm {
 public:
  QStringList texts;
  QStringList status;  // the status bar's line right after each report
  int without_wait_cursor = 0;
  void Progress(const std::string& text) override {
    texts << QString::fromStdString(text);
    TestForm::Progress(text);
    status << StatusBar1->currentMessage();
    if (!QApplication::overrideCursor()) ++without_wait_cursor;
  }
};

}  // namespace

TEST(Run, ATriangulatingRunSaysSoInTheStatusBarAndGivesItBack) {
  QTemporaryDir dir;
  ProgressForm form;
  form.EditPunktDat->setText(WritePointFile(dir, "halde.asc", SquareSurvey(280, 300)));
  form.StatusBar1->showMessage(QStringLiteral("Punkt 12"));
  form.ToolButton1->click();
  ASSERT_TRUE(form.errors.isEmpty()) << form.errors.join('\n').toStdString();
  ASSERT_FALSE(form.texts.isEmpty());
  EXPECT_TRUE(form.texts[0].startsWith(QStringLiteral("Dreiecksvermaschung ")))
      << form.texts[0].toStdString();
  EXPECT_EQ(form.status, form.texts);
  EXPECT_EQ(form.without_wait_cursor, 0);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(form.StatusBar1->currentMessage(), QStringLiteral("Punkt 12"));

  // The meshes are kept: the next run has nothing to say.
  form.texts.clear();
  form.ToolButton1->click();
  EXPECT_TRUE(form.texts.isEmpty()) << form.texts.join('\n').toStdString();
}
