// The page "Punktliste" and saving the points: what the grid shows of the
// table, how rows are inserted and deleted, and what a save writes, reports
// and leaves behind.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>

#include "points/grid.h"
#include "points/reader.h"
#include "test_form.h"

namespace {

// Answers the save dialog too: the queued names, an empty queue cancels.
class GridForm : public TestForm {
 public:
  using TForm1::EditsAnswer;
  QStringList save_answers;
  QStringList primed;  // the point file name each save dialog started from
  QList<EditsAnswer> edit_answers;  // answers of the unsaved-edits question
  int edit_questions = 0;

 protected:
  EditsAnswer AskSaveEdits() override {
    ++edit_questions;
    return edit_answers.isEmpty() ? EditsAnswer::Cancel : edit_answers.takeFirst();
  }
  QString ChooseSaveFile() override {
    primed << EditPunktDat->text();
    return save_answers.isEmpty() ? QString() : save_answers.takeFirst();
  }
};

QString Cell(const QTableWidget* grid, int row, int column) {
  const QTableWidgetItem* item = grid->item(row, column);
  return item ? item->text() : QString();
}

QStringList Column(const QTableWidget* grid, int column) {
  QStringList texts;
  for (int r = 0; r < grid->rowCount(); ++r) texts << Cell(grid, r, column);
  return texts;
}

void SetCell(QTableWidget* grid, int row, int column, const QString& text) {
  if (QTableWidgetItem* item = grid->item(row, column))
    item->setText(text);
  else
    grid->setItem(row, column, new QTableWidgetItem(text));
}

void ClickTab(TForm1& f, int index) {
  QTabBar* bar = f.PageControl1->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
}

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const std::vector<PointLine> kThree = {
    {64, 9, 3486946.169, 5656820.914, 286.684},
    {65, -1, 3486950.5, 12.5, 287.25},
    {66, 0, 3486955.0, 5656830.0, 288.0},
};

// A window with a point file chosen and the page "Punktliste" shown.
struct Listed {
  QTemporaryDir dir;
  GridForm form;
  QString file;
  QTableWidget* grid = nullptr;
  explicit Listed(const std::vector<PointLine>& points = kThree, const char* name = "lage.asc") {
    form.real_runs = false;
    file = WritePointFile(dir, name, points);
    EXPECT_TRUE(ShowActive(form));
    form.files_to_choose = {file};
    form.BitBtn1->click();
    ClickTab(form, 1);
    grid = form.StringGridPkte;
  }
};

}  // namespace

TEST(PointGrid, ShowsTheTableBelowTheHeader) {
  Listed l;
  QTableWidget* grid = l.grid;
  ASSERT_EQ(l.form.PageControl1->currentIndex(), 1);
  // Header plus three rows: the header stands in for slot 0.
  EXPECT_EQ(grid->rowCount(), 3);
  QStringList header;
  for (int j = 0; j < 6; ++j) header << grid->horizontalHeaderItem(j)->text();
  EXPECT_EQ(header, QStringList({"ID", "NR", "Y", "X", "Z", "Code"}));
  EXPECT_EQ(Column(grid, 0), QStringList({"1", "2", "3"}));
  EXPECT_EQ(Column(grid, 1), QStringList({"64", "65", "66"}));
  EXPECT_EQ(Column(grid, 3), QStringList({"5656820.914", "    12.500", "5656830.000"}));
  EXPECT_EQ(Cell(grid, 1, 2), QStringLiteral("3486950.500"));
  EXPECT_EQ(Cell(grid, 1, 4), QStringLiteral("   287.250"));
  EXPECT_EQ(Column(grid, 5), QStringList({"9", "-1", "0"}));
  for (int r = 0; r < grid->rowCount(); ++r) {
    EXPECT_FALSE(grid->item(r, 0)->flags() & Qt::ItemIsEditable);
    for (int j = 1; j < 6; ++j) EXPECT_TRUE(grid->item(r, j)->flags() & Qt::ItemIsEditable);
  }

  // A file without lines: the header alone.
  const QString empty = WritePointFile(l.dir, "leer.asc", {});
  l.form.files_to_choose = {empty};
  ClickTab(l.form, 0);
  l.form.BitBtn1->click();
  ClickTab(l.form, 1);
  EXPECT_EQ(grid->rowCount(), 0);
}

TEST(PointGrid, BeforeAnyPointFileTheHeaderStandsAlone) {
  GridForm form;
  ASSERT_TRUE(ShowActive(form));
  ClickTab(form, 1);
  EXPECT_EQ(form.StringGridPkte->rowCount(), 0);
  EXPECT_EQ(form.StringGridPkte->horizontalHeaderItem(5)->text(), QStringLiteral("Code"));
}

TEST(PointGrid, WidensColumnsToTheirWidestTextOnly) {
  QTemporaryDir dir;
  GridForm form;
  form.real_runs = false;
  ASSERT_TRUE(ShowActive(form));
  QTableWidget* grid = form.StringGridPkte;
  grid->setColumnWidth(0, 37);   // dragged narrower by the user
  grid->setColumnWidth(5, 140);  // and wider
  std::vector<PointLine> points = kThree;
  points.push_back({-2147483647, -128, -0.5, 1.25, -1234567.5});
  form.files_to_choose = {WritePointFile(dir, "w.asc", points)};
  form.BitBtn1->click();
  ClickTab(form, 1);

  // A cell shows its text inside the style's margin on either side, and the
  // grid line takes a pixel: the widest text with that padding counts.
  auto check = [grid](const std::array<int, 6>& present) {
    const QFontMetrics metrics(grid->font());
    const int padding = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1) + 1;
    for (int j = 0; j < 6; ++j) {
      int widest = metrics.horizontalAdvance(grid->horizontalHeaderItem(j)->text());
      for (int r = 0; r < grid->rowCount(); ++r)
        widest = std::max(widest, metrics.horizontalAdvance(Cell(grid, r, j)));
      widest += padding;
      EXPECT_EQ(grid->columnWidth(j), widest > 50 ? widest + 5 : present[j]) << "column " << j;
    }
  };
  check({37, 50, 50, 50, 50, 140});
  // Both cases are met: the coordinates are wider than 50 pixels, the IDs not.
  EXPECT_GT(grid->columnWidth(3), 55);
  EXPECT_EQ(grid->columnWidth(0), 37);
  EXPECT_EQ(grid->columnWidth(5), 140);

  // The same in a font whose letters differ in width.
  QFont proportional(QStringLiteral("DejaVu Sans"));
  proportional.setPixelSize(13);
  grid->setFont(proportional);
  std::array<int, 6> present{};
  for (int j = 0; j < 6; ++j) present[j] = grid->columnWidth(j);
  form.fillGrid();
  check(present);
}

TEST(PointGrid, InsertedRowIsEmptyAndStopsTheSave) {
  Listed l;
  QTableWidget* grid = l.grid;
  grid->setCurrentCell(1, 3);
  l.form.Sichern1->trigger();
  EXPECT_EQ(Column(grid, 0), QStringList({"1", "", "2", "3"}));
  EXPECT_EQ(Column(grid, 1), QStringList({"64", "", "65", "66"}));
  EXPECT_EQ(grid->currentRow(), 1);
  EXPECT_FALSE(grid->item(1, 0)->flags() & Qt::ItemIsEditable);

  const QString target = l.dir.filePath("neu.asc");
  l.form.save_answers = {target};
  l.form.Punktespeichern1->trigger();
  EXPECT_EQ(l.form.errors, QStringList({"Zeile 2, Spalte NR: '' ist kein gültiger Integerwert"}));
  EXPECT_FALSE(QFile::exists(target));
  EXPECT_EQ(l.form.EditPunktDat->text(), l.file);
  EXPECT_EQ(grid->rowCount(), 4);  // the user can fill the row and save again

  for (int j = 1; j < 6; ++j) SetCell(grid, 1, j, QStringLiteral("7"));
  l.form.save_answers = {target};
  l.form.Punktespeichern1->trigger();
  EXPECT_EQ(l.form.errors.size(), 1);
  ASSERT_EQ(l.form.Work().P.size(), 5u);
  EXPECT_EQ(l.form.Work().P[2].NR, 7);
  EXPECT_EQ(l.form.Work().P[3].NR, 65);
  EXPECT_EQ(l.form.EditPunktDat->text(), target);
}

TEST(PointGrid, DeletedRowIsGoneFromTheSavedPoints) {
  Listed l;
  QTableWidget* grid = l.grid;
  grid->setCurrentCell(0, 2);
  l.form.Punkte1->trigger();
  EXPECT_EQ(Column(grid, 0), QStringList({"2", "3"}));
  EXPECT_EQ(l.form.Work().P.size(), 4u);  // nothing reaches P before the save

  const QString target = l.dir.filePath("zwei.asc");
  l.form.save_answers = {target};
  l.form.Punktespeichern1->trigger();
  EXPECT_TRUE(l.form.errors.isEmpty());
  EXPECT_EQ(l.form.primed, QStringList({l.file}));
  ASSERT_EQ(l.form.Work().P.size(), 3u);
  EXPECT_EQ(l.form.Work().P[1].NR, 65);
  EXPECT_EQ(l.form.Work().P[1].Code, -1);
  EXPECT_EQ(FileBytes(target),
            QByteArray("              65    -1  3486950.500       12.500    287.250\r\n"
                       "              66     0  3486955.000  5656830.000    288.000\r\n"));
  EXPECT_EQ(l.form.EditPunktDat->text(), target);

  ClickTab(l.form, 0);
  ClickTab(l.form, 1);
  EXPECT_EQ(Column(grid, 0), QStringList({"1", "2"}));
  EXPECT_EQ(Column(grid, 1), QStringList({"65", "66"}));

  // Deleting every row leaves the header; a row can still be inserted.
  l.form.Punkte1->trigger();
  l.form.Punkte1->trigger();
  EXPECT_EQ(grid->rowCount(), 0);
  l.form.Punkte1->trigger();
  l.form.Sichern1->trigger();
  EXPECT_EQ(grid->rowCount(), 1);
  EXPECT_TRUE(l.form.errors.isEmpty());
}

TEST(PointGrid, ShowingThePageAgainDiscardsUnsavedEdits) {
  Listed l;
  QTableWidget* grid = l.grid;
  SetCell(grid, 0, 1, QStringLiteral("999"));
  grid->setCurrentCell(0, 1);
  l.form.Punkte1->trigger();
  EXPECT_EQ(l.form.Work().P[1].NR, 64);
  ClickTab(l.form, 2);
  ClickTab(l.form, 1);
  EXPECT_EQ(Column(grid, 1), QStringList({"64", "65", "66"}));
}

TEST(PointGrid, TextInAnOpenEditorIsSavedAndARefillDropsIt) {
  Listed l;
  QTableWidget* grid = l.grid;
  grid->setCurrentCell(0, 1);
  if (!grid->indexWidget(grid->currentIndex())) grid->edit(grid->currentIndex());
  auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()));
  ASSERT_NE(editor, nullptr);
  editor->setText(QStringLiteral("777"));
  // The tool button takes no focus: the editor is still open when it saves.
  const QString target = l.dir.filePath("offen.asc");
  l.form.save_answers = {target};
  l.form.ToolButton9->click();
  EXPECT_TRUE(l.form.errors.isEmpty());
  EXPECT_EQ(l.form.Work().P[1].NR, 777);
  EXPECT_TRUE(FileBytes(target).startsWith("             777     9"));

  // An editor open while the grid is refilled must not write its text back.
  grid->setCurrentCell(1, 1);
  if (!grid->indexWidget(grid->currentIndex())) grid->edit(grid->currentIndex());
  editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()));
  ASSERT_NE(editor, nullptr);
  editor->setText(QStringLiteral("555"));
  l.form.fillGrid();
  grid->setCurrentCell(2, 2);
  EXPECT_EQ(Column(grid, 1), QStringList({"777", "65", "66"}));
}

// A bad cell is marked when it is left, and the save names its row and
// column; a decimal comma is taken and shown as the file will have it.
TEST(PointGrid, AFaultyCellStopsTheSaveWithItsReport) {
  Listed l;
  QTableWidget* grid = l.grid;
  SetCell(grid, 0, 4, QStringLiteral(" 285,123 "));
  EXPECT_EQ(Cell(grid, 0, 4), QStringLiteral(" 285.123 "));
  EXPECT_FALSE(grid->item(0, 4)->data(Qt::BackgroundRole).isValid());
  SetCell(grid, 2, 4, QStringLiteral(" 12,5x "));
  EXPECT_TRUE(grid->item(2, 4)->data(Qt::BackgroundRole).isValid());
  SetCell(grid, 1, 1, QStringLiteral("6,5"));  // a number, but no point number
  EXPECT_EQ(Cell(grid, 1, 1), QStringLiteral("6,5"));
  EXPECT_TRUE(grid->item(1, 1)->data(Qt::BackgroundRole).isValid());
  SetCell(grid, 1, 1, QStringLiteral("65"));
  EXPECT_FALSE(grid->item(1, 1)->data(Qt::BackgroundRole).isValid());
  const QString target = l.dir.filePath("fehler.asc");
  l.form.save_answers = {target};
  l.form.ToolButton9->click();
  EXPECT_EQ(l.form.errors,
            QStringList({"Zeile 3, Spalte Z: '12,5x' ist kein gültiger Gleitkommawert"}));
  EXPECT_FALSE(QFile::exists(target));
  EXPECT_EQ(l.form.EditPunktDat->text(), l.file);
  // The table stays whole, so the plot and the next filling still show it.
  ASSERT_EQ(l.form.Work().P.size(), 4u);
  EXPECT_EQ(l.form.Work().P[3].Z, 288.0);
  EXPECT_EQ(Cell(grid, 2, 4), QStringLiteral(" 12,5x "));

  // Cancelled: nothing is read from the grid, nothing reported or written.
  l.form.ToolButton9->click();
  EXPECT_EQ(l.form.errors.size(), 1);
  EXPECT_EQ(l.form.primed.size(), 2);

  SetCell(grid, 2, 4, QStringLiteral("12.5"));
  l.form.save_answers = {target};
  l.form.Punktespeichern1->trigger();
  EXPECT_EQ(l.form.errors.size(), 1);
  EXPECT_EQ(l.form.Work().P[3].Z, 12.5);
  EXPECT_EQ(l.form.EditPunktDat->text(), target);
}

TEST(PointGrid, AFileThatCannotBeWrittenIsReported) {
  Listed l;
  QDir(l.dir.path()).mkdir(QStringLiteral("ordner"));
  SetCell(l.grid, 0, 1, QStringLiteral("100"));
  l.form.save_answers = {l.dir.filePath("ordner")};
  l.form.Punktespeichern1->trigger();
  EXPECT_EQ(l.form.errors, QStringList({"Dateizugriff verweigert"}));
  EXPECT_EQ(l.form.EditPunktDat->text(), l.file);
  EXPECT_EQ(l.form.Work().P[1].NR, 100);  // the grid was read before the file was opened
}

TEST(PointGrid, SavingBeforeThePageWasShownFailsOnTheEmptyGrid) {
  QTemporaryDir dir;
  GridForm form;
  ASSERT_TRUE(ShowActive(form));
  const QString target = dir.filePath("nie.asc");
  form.save_answers = {target};
  form.ToolButton9->click();
  EXPECT_EQ(form.errors, QStringList({"Zeile 1, Spalte NR: '' ist kein gültiger Integerwert"}));
  EXPECT_FALSE(QFile::exists(target));
  EXPECT_TRUE(form.Work().P.empty());
}

TEST(PointGrid, ChoosingAnotherFileLeavesNoFormerPointsAndFillsTheGridWhenShown) {
  Listed l;
  const std::vector<PointLine> other = {{1, 0, 10, 20, 30}, {2, 1, 11, 21, 31}};
  const QString second = WritePointFile(l.dir, "zweite.asc", other);
  const QByteArray before = FileBytes(second);
  ClickTab(l.form, 0);
  l.form.files_to_choose = {second};
  l.form.BitBtn1->click();
  // The former file's rows are gone; the new ones are made when the page is
  // shown, not for a survey of 200,000 points nobody looks at yet.
  EXPECT_EQ(l.grid->rowCount(), 0);
  // Saving at once from the tool bar, under the proposed name, keeps that
  // file's own points.
  l.form.save_answers = {l.form.EditPunktDat->text()};
  l.form.ToolButton9->click();
  EXPECT_TRUE(l.form.errors.isEmpty());
  EXPECT_EQ(FileBytes(second), before);
  ClickTab(l.form, 1);
  EXPECT_EQ(Column(l.grid, 1), QStringList({"1", "2"}));

  // Edited on its page, then saved from the first page: the edit is saved.
  SetCell(l.grid, 1, 4, QStringLiteral("99"));
  ClickTab(l.form, 0);
  l.form.save_answers = {l.form.EditPunktDat->text()};
  l.form.ToolButton9->click();
  EXPECT_TRUE(l.form.errors.isEmpty());
  EXPECT_NE(FileBytes(second), before);
  zelmaro::PointTable P;
  ASSERT_EQ(zelmaro::ReadPointFile(second.toStdString(), P), zelmaro::ReadResult::Ok);
  EXPECT_EQ(P[2].Z, 99.0);
}

TEST(PointGrid, TheNextRunReadsTheSavedFile) {
  QTemporaryDir dir;
  GridForm form;
  ASSERT_TRUE(ShowActive(form));
  const QString file = WritePointFile(dir, "halde.asc", SquareSurvey(280, 300));
  form.files_to_choose = {file};
  form.BitBtn1->click();
  ClickTab(form, 1);
  ASSERT_EQ(form.StringGridPkte->rowCount(), 9);
  SetCell(form.StringGridPkte, 8, 4, QStringLiteral("400"));
  const QString terrain_volume = form.EditM1->text();
  form.save_answers = {file};  // the current name, overwriting confirmed
  form.Punktespeichern1->trigger();
  ASSERT_TRUE(form.errors.isEmpty());
  // The results on "Eingabedaten" are those of the saved points at once.
  EXPECT_EQ(form.runs, 2);
  EXPECT_NE(form.EditM1->text(), terrain_volume);
  form.Work().P.clear();
  form.ToolButton1->click();
  ASSERT_EQ(form.Work().P.size(), 10u);
  EXPECT_EQ(form.Work().P[9].Z, 400.0);
  EXPECT_EQ(form.Work().P[9].NR, 15);
  EXPECT_TRUE(QFileInfo::exists(dir.filePath("halde.LST")));
}

// Edits in the grid went without a word when the program ended, the window
// closed or another file was chosen.
TEST(PointGrid, UnsavedEditsAreAskedForBeforeTheyGo) {
  Listed l;
  SetCell(l.grid, 0, 4, QStringLiteral("290.5"));
  const QString other = WritePointFile(l.dir, "andere.asc", {{1, 0, 10, 20, 30}});

  // Cancelled: no file dialog, nothing read, the edit stays.
  l.form.files_to_choose = {other};
  l.form.BitBtn1->click();
  EXPECT_EQ(l.form.edit_questions, 1);
  EXPECT_EQ(l.form.files_to_choose.size(), 1);
  EXPECT_EQ(Cell(l.grid, 0, 4), QStringLiteral("290.5"));
  l.form.ToolButton5->click();
  l.form.close();
  EXPECT_EQ(l.form.edit_questions, 3);
  EXPECT_TRUE(l.form.isVisible());
  EXPECT_EQ(l.form.Work().P.size(), 4u);

  // "Ja" saves (and asks for the file); closing goes on once saved.
  const QString saved = l.dir.filePath("gesichert.asc");
  l.form.edit_answers = {GridForm::EditsAnswer::Save};
  l.form.save_answers = {saved};
  l.form.close();
  EXPECT_FALSE(l.form.isVisible());
  zelmaro::PointTable P;
  ASSERT_EQ(zelmaro::ReadPointFile(saved.toStdString(), P), zelmaro::ReadResult::Ok);
  EXPECT_EQ(P[1].Z, 290.5);

  // "Nein" drops the edits and chooses the other file; without edits
  // nothing is asked.
  ASSERT_TRUE(ShowActive(l.form));
  ClickTab(l.form, 1);
  l.grid->setCurrentCell(0, 1);
  l.form.Punkte1->trigger();  // a deleted row is an edit too
  l.form.edit_answers = {GridForm::EditsAnswer::Discard};
  l.form.files_to_choose = {other};
  l.form.BitBtn1->click();
  EXPECT_EQ(l.form.edit_questions, 5);
  EXPECT_EQ(l.form.EditPunktDat->text(), other);
  l.form.ToolButton5->click();
  EXPECT_EQ(l.form.edit_questions, 5);
  EXPECT_FALSE(l.form.isVisible());
  EXPECT_TRUE(l.form.errors.isEmpty()) << l.form.errors.join('\n').toStdString();
}
