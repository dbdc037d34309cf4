// Choosing a survey file that is not laid out as the program's own point
// file: the import dialog, its choice kept for the runs, and files that are
// no point files at all.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>

#include "test_form.h"
#include "ui/ImportDialog.h"

namespace {

QString WriteBytes(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
  QFile file(dir.filePath(name));
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
  return file.fileName();
}

// The square survey as an office program exports it: semicolons, decimal
// commas, number, easting, northing, height, code, no header.
QByteArray SemicolonSurvey() {
  QByteArray out;
  for (const PointLine& p : SquareSurvey(280, 300))
    out += QString::asprintf("%d;%.3f;%.3f;%.3f;%d\r\n", p.nr, p.y, p.x, p.z, p.code)
               .replace(QLatin1Char('.'), QLatin1Char(','))
               .toLatin1();
  return out;
}

QStringList Results(const TForm1& f) {
  return {f.EditA0->text(), f.EditM0->text(), f.EditA1->text(),
          f.EditM1->text(), f.EditA2->text(), f.EditM2->text()};
}

}  // namespace

TEST(Import, TheLayoutChosenInTheDialogIsReadByEveryRun) {
  QTemporaryDir dir;
  TestForm own;
  own.files_to_choose = {WritePointFile(dir, "eigen.asc", SquareSurvey(280, 300))};
  own.BitBtn1->click();
  ASSERT_EQ(own.import_dialogs, 0);  // the program's own file: no question
  const QStringList expected = Results(own);
  ASSERT_FALSE(expected[3].trimmed().isEmpty());

  TestForm form;
  const QString file = WriteBytes(dir, "aufnahme.csv", SemicolonSurvey());
  // Cancelled: nothing changes.
  form.files_to_choose = {file};
  form.import_answers = {{zelmaro::Separator::Semicolon, ""}};
  form.BitBtn1->click();
  EXPECT_EQ(form.import_dialogs, 1);
  EXPECT_TRUE(form.EditPunktDat->text().isEmpty());
  EXPECT_EQ(form.runs, 0);
  // The code stands last, easting before northing: the dialog proposes the
  // common order for a code last, the user chooses the file's.
  form.files_to_choose = {file};
  form.import_answers = {{zelmaro::Separator::Semicolon, "P,E,N,Z,C"}};
  form.BitBtn1->click();
  EXPECT_EQ(form.import_dialogs, 2);
  EXPECT_EQ(form.import_proposed.separator, zelmaro::Separator::Semicolon);
  EXPECT_EQ(zelmaro::ColumnsText(form.import_proposed.columns), "P,N,E,Z,C");
  ASSERT_TRUE(form.errors.isEmpty()) << form.errors.join('\n').toStdString();
  EXPECT_EQ(form.EditPunktDat->text(), file);
  EXPECT_EQ(Results(form), expected);
  EXPECT_EQ(form.StatusBar1->currentMessage(),
            QStringLiteral("gelesen mit Trennzeichen Semikolon, Spalten P,E,N,Z,C"));
  // A run of its own reads the file again, in the same layout, and its
  // protocol says how.
  form.ToolButton1->click();
  EXPECT_EQ(Results(form), expected);
  EXPECT_EQ(form.ProtocolPane()->document()->findBlockByNumber(2).text(),
            QStringLiteral("gelesen mit Trennzeichen Semikolon, Spalten P,E,N,Z,C"));
  // The next file like it is proposed in the layout chosen for this one.
  TestForm next;
  next.files_to_choose = {WriteBytes(dir, "zweite.csv", SemicolonSurvey())};
  next.BitBtn1->click();
  EXPECT_EQ(zelmaro::ColumnsText(next.import_proposed.columns), "P,E,N,Z,C");
  EXPECT_EQ(Results(next), expected);
}

TEST(Import, AFileThatIsNoPointFileIsRefusedAndChangesNothing) {
  QTemporaryDir dir;
  TestForm form;
  const QString survey = WritePointFile(dir, "halde.asc", SquareSurvey(280, 300));
  form.files_to_choose = {survey};
  form.BitBtn1->click();
  const QStringList before = Results(form);
  const QString png = WriteBytes(dir, "bild.png", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
  const QString words = WriteBytes(dir, "kopf.asc", "Punktnummer Code Y X Z\r\n");
  for (const QString& file : {png, words}) {
    form.files_to_choose = {file};
    form.BitBtn1->click();
    ASSERT_EQ(form.errors.size(), 1);
    EXPECT_EQ(form.errors.takeFirst(), QStringLiteral("'%1' ist keine Punktdatei").arg(file));
    EXPECT_EQ(form.EditPunktDat->text(), survey);
    EXPECT_EQ(Results(form), before);
  }
  EXPECT_EQ(form.import_dialogs, 0);
  EXPECT_EQ(form.runs, 1);
}

TEST(Import, TheDialogPreviewsTheFirstPointsAsTheyWillBeRead) {
  const std::string head =
      "Nr;Code;Y;X;Z\r\n1;0;3486910,633;5656838,352;284,723\r\n2;0;3486915,102;5656841,870;285,112\r\n"
      "# B\xF6" "schungsfu\xDF\r\n3;1;3486921,455;5656836,004;283,950\r\n";
  const zelmaro::DetectedLayout detected = zelmaro::DetectLayout(head);
  ImportDialog dialog(nullptr, QStringLiteral("aufnahme.csv"), head, detected, detected.layout);
  auto* points = dialog.findChild<QTableWidget*>(QStringLiteral("ImportPoints"));
  ASSERT_TRUE(points);
  EXPECT_TRUE(detected.decimal_comma);
  ASSERT_EQ(points->rowCount(), 3);
  EXPECT_EQ(points->item(0, 2)->text(), QStringLiteral("3486910.633"));
  EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("ImportNote"))->text(),
            QStringLiteral("In den ersten Zeilen: 1 Zeile ohne Koordinaten übersprungen (Zeile 1); "
                           "1 Kommentarzeile übersprungen"));
  // A column order that is none cannot be taken.
  auto* columns = dialog.findChild<QComboBox*>(QStringLiteral("ImportColumns"));
  columns->setEditText(QStringLiteral("P,C,E,N"));
  EXPECT_EQ(points->rowCount(), 0);
  columns->setEditText(QStringLiteral("P,C,N,E,Z"));
  EXPECT_EQ(points->item(0, 2)->text(), QStringLiteral("5656838.352"));
  EXPECT_EQ(zelmaro::ColumnsText(dialog.Layout().columns), "P,C,N,E,Z");

  const QString out = QDir(qEnvironmentVariable("ZELMARO_SCREENSHOT_DIR")).absolutePath();
  if (qEnvironmentVariableIsEmpty("ZELMARO_SCREENSHOT_DIR")) return;
  columns->setEditText(QStringLiteral("P,C,E,N,Z"));
  dialog.show();
  QTest::qWait(200);
  EXPECT_TRUE(dialog.grab().save(out + "/import_dialog.png"));
}
