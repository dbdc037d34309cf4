// Faults a user met in the window, each driven through the real widgets:
// printing, the reference-height field and the protocol, point files that
// cannot be read, the wheel, the grid's widths and menu, the contour
// interval and the file named by an error report.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpontaneKeyEvent>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <QWheelEvent>

#include "support/child.h"
#include "test_form.h"
#include "ui/NumberBox.h"
#include "ui/ui_common.h"

namespace {

QStringList ResultFields(const TForm1& f) {
  return {f.EditA0->text(), f.EditM0->text(), f.EditA1->text(),
          f.EditM1->text(), f.EditA2->text(), f.EditM2->text()};
}

// Line 3 of the protocol file, in Windows-1252.
QString ProtocolLine3(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("(kein Protokoll)");
  return QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n")).value(2);
}

QString PaneLine3(const QPlainTextEdit* pane) { return pane->document()->findBlockByNumber(2).text(); }

void ClickTab(TForm1& f, int index) {
  QTabBar* bar = f.PageControl1->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
}

// The user types into the reference height: all selected, then the keys.
void TypeHeight(TForm1& f, const char* keys) {
  f.NumberBoxH0->setFocus();
  f.NumberBoxH0->selectAll();
  QTest::keyClicks(f.NumberBoxH0, keys);
}

struct Loaded {
  QTemporaryDir dir;
  TestForm form;
  QString file;
  explicit Loaded(bool limits = false, const std::vector<PointLine>& points = SquareSurvey(280, 300)) {
    EXPECT_TRUE(ShowActive(form));
    file = WritePointFile(dir, "halde.asc", points);
    form.files_to_choose = {file};
    if (limits)
      QTest::mouseDClick(form.EditPunktDat, Qt::LeftButton);
    else
      form.BitBtn1->click();
  }
  QString Protocol() const { return dir.filePath("halde.LST"); }
};

}  // namespace

// A job that could not start left Qt's printer active for good: every later
// print and every setting of the printer setup was refused.
TEST(WindowFaults, AFailedPrintLeavesThePrinterUsable) {
  Loaded l;
  TestForm& f = l.form;
  ClickTab(f, 2);
  f.printer_installed = 1;  // as with a printer whose job is refused
  f.Printer().setOutputFormat(QPrinter::PdfFormat);
  f.Printer().setOutputFileName(l.dir.filePath("kein/ordner/plot.pdf"));
  f.ToolButtonDruck->click();
  ASSERT_EQ(f.errors.size(), 1);

  // Without a target at all (Qt's state without a printer), then the setup
  // dialog's choice of an output file: that print works.
  f.printer_installed = 0;
  f.Printer().setOutputFileName(QString());
  f.ToolButtonDruck->click();  // asks for a file; cancelled
  const QString pdf = l.dir.filePath("plot.pdf");
  f.Printer().setOutputFileName(pdf);
  EXPECT_EQ(f.Printer().outputFileName(), pdf);
  f.pdf_files_to_choose = {pdf};
  f.ToolButtonDruck->click();
  EXPECT_EQ(f.errors.size(), 1) << f.errors.join(' ').toStdString();
  EXPECT_GT(QFileInfo(pdf).size(), 1000);
  EXPECT_EQ(f.Display, 0);
}

// On a full disk the print into a PDF file failed silently and left a cut
// off file in place of the former one.
TEST(WindowFaults, APdfPrintThatDoesNotFitKeepsTheFormerFileAndSaysSo) {
  Loaded l;
  TestForm& f = l.form;
  ClickTab(f, 2);
  f.printer_installed = 0;
  f.Printer().setOutputFormat(QPrinter::PdfFormat);
  const QString pdf = l.dir.filePath("plot.pdf");
  {
    QFile former(pdf);
    ASSERT_TRUE(former.open(QIODevice::WriteOnly));
    former.write("der vorige Plan");
  }
  const QStringList before = QDir(l.dir.path()).entryList(QDir::Files | QDir::Hidden);
  f.pdf_files_to_choose = {pdf};
  {
    zelmaro::testing::FileSizeLimit limit(600);
    ASSERT_TRUE(limit.ok());
    f.ToolButtonDruck->click();
  }
  ASSERT_EQ(f.errors.size(), 1);
  EXPECT_TRUE(f.errors[0].contains(QStringLiteral("plot.pdf"))) << f.errors[0].toStdString();
  QFile former(pdf);
  ASSERT_TRUE(former.open(QIODevice::ReadOnly));
  EXPECT_EQ(former.readAll(), QByteArray("der vorige Plan"));
  former.close();
  EXPECT_EQ(QDir(l.dir.path()).entryList(QDir::Files | QDir::Hidden), before);
  EXPECT_EQ(f.Display, 0);

  f.pdf_files_to_choose = {pdf};
  f.ToolButtonDruck->click();
  EXPECT_EQ(f.errors.size(), 1) << f.errors.join(' ').toStdString();
  ASSERT_TRUE(former.open(QIODevice::ReadOnly));
  EXPECT_TRUE(former.read(5) == "%PDF-");
}

TEST(WindowFaults, WithoutAPrinterThePrintAsksForAPdfFileEachTime) {
  if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "a printer is installed";
  Loaded l;
  TestForm& f = l.form;
  ClickTab(f, 2);
  // The frame is that of the PDF page the print makes.
  f.ToolButton12->click();
  f.ToolButtonMesh0->click();
  EXPECT_EQ(f.Printer().outputFormat(), QPrinter::PdfFormat);
  EXPECT_GT(f.Printer().width(), 0);

  f.ToolButtonDruck->click();  // cancelled: nothing, no report
  EXPECT_TRUE(f.errors.isEmpty()) << f.errors.join(' ').toStdString();
  const QString first = l.dir.filePath("erste.pdf"), second = l.dir.filePath("zweite.pdf");
  f.pdf_files_to_choose = {first};
  f.ToolButtonDruck->click();
  f.pdf_files_to_choose = {second};
  f.ToolButtonDruck->click();
  EXPECT_TRUE(f.errors.isEmpty()) << f.errors.join(' ').toStdString();
  for (const QString& pdf : {first, second}) {
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << pdf.toStdString();
    EXPECT_TRUE(file.read(5) == "%PDF-");
    EXPECT_GT(file.size(), 1000);
  }
  EXPECT_TRUE(f.pdf_files_to_choose.isEmpty());

  // With a printer the print goes where the setup says, without asking.
  f.printer_installed = 1;
  const QString chosen = l.dir.filePath("drucker.pdf");
  f.Printer().setOutputFileName(chosen);
  f.pdf_files_to_choose = {l.dir.filePath("nicht.pdf")};
  f.ToolButtonDruck->click();
  EXPECT_TRUE(QFileInfo::exists(chosen));
  EXPECT_FALSE(QFileInfo::exists(l.dir.filePath("nicht.pdf")));
}

// Line 3 names the height the run used, whatever the field shows meanwhile.
TEST(WindowFaults, ProtocolNamesTheHeightComputedWith) {
  Loaded l(/*limits=*/true);  // heights 280 .. 300
  TestForm& f = l.form;
  ASSERT_EQ(f.NumberBoxH0->Value(), 280.0);
  TypeHeight(f, "400");
  EXPECT_EQ(f.NumberBoxH0->Value(), 300.0);
  EXPECT_EQ(f.NumberBoxH0->text(), QStringLiteral("300.000"));  // clamped at once
  EXPECT_EQ(ProtocolLine3(l.Protocol()), QStringLiteral("Höhenbezug300.000 m"));
  EXPECT_EQ(PaneLine3(f.ProtocolPane()), QStringLiteral("Höhenbezug300.000 m"));
  const int runs = f.runs;
  QTest::keyClick(f.NumberBoxH0, Qt::Key_Return);
  EXPECT_EQ(f.NumberBoxH0->text(), QStringLiteral("300.000"));
  EXPECT_EQ(f.runs, runs);

  TypeHeight(f, "2");  // clamped to the lowest height
  EXPECT_EQ(f.NumberBoxH0->Value(), 280.0);
  EXPECT_EQ(ProtocolLine3(l.Protocol()), QStringLiteral("Höhenbezug280.000 m"));

  // A typed text that is exactly the height stays as typed.
  TypeHeight(f, "285.5");
  EXPECT_EQ(ProtocolLine3(l.Protocol()), QStringLiteral("Höhenbezug285.5 m"));
}

TEST(WindowFaults, DecimalCommaComputesAndNoNumberIsMarkedAndComputesNothing) {
  Loaded l;
  TestForm& f = l.form;
  TypeHeight(f, "284,5");
  EXPECT_EQ(f.NumberBoxH0->Value(), 284.5);
  EXPECT_EQ(ProtocolLine3(l.Protocol()), QStringLiteral("Höhenbezug284.500 m"));
  TypeHeight(f, "-2,5");
  EXPECT_EQ(f.NumberBoxH0->Value(), -2.5);
  EXPECT_EQ(f.NumberBoxH0->palette().color(QPalette::Text), QColor(Qt::red));

  const QColor normal = f.NumberBoxH0->palette().color(QPalette::Base);
  const int runs = f.runs;
  const QStringList fields = ResultFields(f);
  QTest::keyClicks(f.NumberBoxH0, "x");  // "-2,5x"
  EXPECT_EQ(f.runs, runs);
  EXPECT_EQ(f.NumberBoxH0->Value(), -2.5);
  EXPECT_EQ(ResultFields(f), fields);
  EXPECT_NE(f.NumberBoxH0->palette().color(QPalette::Base), normal);
  QTest::keyClick(f.NumberBoxH0, Qt::Key_Backspace);  // "-2,5" again: a number, the same
  EXPECT_EQ(f.NumberBoxH0->palette().color(QPalette::Base), normal);
  EXPECT_EQ(f.runs, runs);
  EXPECT_TRUE(f.errors.isEmpty()) << f.errors.join(' ').toStdString();
}

TEST(WindowFaults, PointFilesThatCannotBeReadWriteNoProtocol) {
  Loaded l;
  TestForm& f = l.form;
  ASSERT_FALSE(f.EditM2->text().isEmpty());
  const QStringList fields = ResultFields(f);

  // A typed name of a missing file, then a run.
  const QString missing = l.dir.filePath("gibtsnicht.asc");
  f.EditPunktDat->setText(missing);
  f.ToolButton1->click();
  EXPECT_EQ(f.errors, QStringList{"Die Punktdatei '" + missing + "' kann nicht gelesen werden."});
  EXPECT_FALSE(QFileInfo::exists(l.dir.filePath("gibtsnicht.LST")));

  // A folder, with and without a slash at the end.
  ASSERT_TRUE(QDir(l.dir.path()).mkdir(QStringLiteral("abc")));
  for (const QString& folder : {l.dir.filePath("abc"), l.dir.filePath("abc") + "/"}) {
    f.errors.clear();
    f.EditPunktDat->setText(folder);
    f.ToolButton1->click();
    EXPECT_EQ(f.errors, QStringList{"Die Punktdatei '" + folder + "' kann nicht gelesen werden."});
  }
  QStringList files = QDir(l.dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot);
  files.sort();
  EXPECT_EQ(files, QStringList({"halde.LST", "halde.asc"}));
  EXPECT_EQ(ResultFields(f), fields);

  // An empty point file: a clear note, not a height of 1e12.
  f.errors.clear();
  const QString empty = WritePointFile(l.dir, "leer.asc", {});
  f.files_to_choose = {empty};
  f.BitBtn1->click();
  EXPECT_EQ(f.errors, QStringList{"Die Punktdatei '" + empty + "' enthält keine Punkte."});
  EXPECT_LT(std::abs(f.NumberBoxH0->Value()), 1e6);
}

// After limits from one file, a second whose lowest height clamps to the
// height held runs nothing: the first file's volumes must not stay beside
// the second file's name.
TEST(WindowFaults, ChoosingAFileLeavesNoResultsOfAnother) {
  Loaded l(/*limits=*/true);  // 280 .. 300
  TestForm& f = l.form;
  ASSERT_FALSE(f.EditM2->text().isEmpty());
  const QString other = WritePointFile(l.dir, "tief.asc", SquareSurvey(250, 260));
  const int runs = f.runs;
  f.files_to_choose = {other};
  f.BitBtn1->click();
  ASSERT_EQ(f.NumberBoxH0->Value(), 280.0);
  if (f.runs == runs) {
    for (const QString& field : ResultFields(f)) EXPECT_TRUE(field.isEmpty()) << field.toStdString();
    EXPECT_TRUE(f.ProtocolPane()->toPlainText().isEmpty());
    EXPECT_EQ(f.Work().Mesh1, nullptr);
  }
  // The run that follows fills them from the file named.
  f.ToolButton1->click();
  EXPECT_FALSE(f.EditM2->text().isEmpty());
  EXPECT_TRUE(QFileInfo::exists(l.dir.filePath("tief.LST")));
}

namespace {

void Wheel(QWidget* over, int angle) {
  const QPointF at(5, 5);
  QWheelEvent event(at, over->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QSpontaneKeyEvent::setSpontaneous(&event);
  qApp->notify(over, &event);
}

}  // namespace

TEST(WindowFaults, TouchpadWheelZoomsOneStepPerNotch) {
  Loaded l;
  TestForm& f = l.form;
  ClickTab(f, 2);
  const double mf = f.Work().view.MF;
  for (int i = 0; i < 8; ++i) Wheel(f.Imagepp, 15);  // one notch in eight events
  EXPECT_DOUBLE_EQ(f.Work().view.MF, mf / 1.25);
  for (int i = 0; i < 7; ++i) Wheel(f.Imagepp, -15);  // most of a notch back: nothing yet
  EXPECT_DOUBLE_EQ(f.Work().view.MF, mf / 1.25);
  Wheel(f.Imagepp, -15);
  EXPECT_NEAR(f.Work().view.MF, mf, 1e-15);
  Wheel(f.Imagepp, 240);  // two notches at once: two steps
  EXPECT_DOUBLE_EQ(f.Work().view.MF, mf / 1.25 / 1.25);
}

TEST(WindowFaults, GridShowsTheExamplesCoordinatesWhole) {
  QTemporaryDir dir;
  const QString example = dir.filePath("halde.asc");
  ASSERT_TRUE(QFile::copy(QDir::cleanPath(QStringLiteral(ZELMARO_TEST_DATA "/../../examples/halde.asc")), example));
  TestForm form;
  form.real_runs = false;
  ASSERT_TRUE(ShowActive(form));
  form.files_to_choose = {example};
  form.BitBtn1->click();
  ClickTab(form, 1);
  QTableWidget* grid = form.StringGridPkte;
  ASSERT_GT(grid->rowCount(), 10);
  // What the cell's delegate needs to draw the whole text, plus the grid line.
  QStyleOptionViewItem option;
  option.initFrom(grid->viewport());
  option.font = grid->font();
  option.fontMetrics = QFontMetrics(grid->font());
  for (int j = 1; j < 6; ++j) {
    int need = 0;
    for (int r = 0; r < grid->rowCount(); ++r)
      need = std::max(need, grid->itemDelegate()->sizeHint(option, grid->model()->index(r, j)).width());
    EXPECT_GE(grid->columnWidth(j) - 1, need) << "column " << j;
  }
}

TEST(WindowFaults, RightClickOnTheCurrentCellOpensTheGridMenu) {
  Loaded l;
  TestForm& f = l.form;
  ClickTab(f, 1);
  QTableWidget* grid = f.StringGridPkte;
  grid->setCurrentCell(1, 3);
  QWidget* editor = grid->indexWidget(grid->currentIndex());
  ASSERT_NE(editor, nullptr);
  const QPoint at = editor->rect().center();
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, editor->mapToGlobal(at));
  QApplication::sendEvent(editor, &event);
  QTest::qWait(20);
  EXPECT_TRUE(f.PopupMenu1->isVisible());
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* menu = qobject_cast<QMenu*>(w);
    if (menu && menu != f.PopupMenu1) {
      EXPECT_FALSE(menu->isVisible()) << "the editor's own menu is open";
    }
  }
  f.PopupMenu1->close();
}

TEST(WindowFaults, ContourIntervalWithACommaAndOneThatIsNoNumber) {
  Loaded l;
  TestForm& f = l.form;
  ClickTab(f, 2);
  f.ToolButtonIsoline->click();
  f.EditHLIntervall->setText(QStringLiteral("0,5"));
  f.ToolButtonMesh1->click();  // a redraw with the terrain
  ASSERT_NE(f.Work().Mesh1, nullptr);
  EXPECT_EQ(f.Work().Mesh1->Contour.Step, 0.5);
  const QColor normal = f.EditHLIntervall->palette().color(QPalette::Base);

  // Not a number: marked, and no contour lines at an interval not typed.
  f.EditHLIntervall->setText(QStringLiteral("0,5m"));
  EXPECT_NE(f.EditHLIntervall->palette().color(QPalette::Base), normal);
  f.ToolButtonMesh1->click();
  f.ToolButtonMesh1->click();
  EXPECT_EQ(f.Work().Mesh1->Contour.Step, 0.5);
  f.EditHLIntervall->setText(QStringLiteral("1"));
  EXPECT_EQ(f.EditHLIntervall->palette().color(QPalette::Base), normal);
  EXPECT_TRUE(f.errors.isEmpty()) << f.errors.join(' ').toStdString();
}

// "Höhenlinien", "Ausgabebereich" and a new interval with Enter changed the
// picture only at the next zoom.
TEST(WindowFaults, PlotTogglesAndANewIntervalRedrawAtOnce) {
  Loaded l;
  TestForm& f = l.form;
  ClickTab(f, 2);
  f.ToolButtonMesh1->click();
  ASSERT_NE(f.Work().Mesh1, nullptr);
  ASSERT_EQ(f.Work().Mesh1->Contour.Step, 0);  // no contour lines yet
  f.ToolButtonIsoline->click();
  EXPECT_EQ(f.Work().Mesh1->Contour.Step, 0.1);
  f.EditHLIntervall->setFocus();
  f.EditHLIntervall->selectAll();
  QTest::keyClicks(f.EditHLIntervall, "0,5");
  EXPECT_EQ(f.Work().Mesh1->Contour.Step, 0.1);  // not while typing
  QTest::keyClick(f.EditHLIntervall, Qt::Key_Return);
  EXPECT_EQ(f.Work().Mesh1->Contour.Step, 0.5);
  const QImage before = f.PlotBitmap();
  f.ToolButton12->click();
  EXPECT_NE(f.PlotBitmap(), before);
  f.ToolButton12->click();
  EXPECT_EQ(f.PlotBitmap(), before);
  EXPECT_TRUE(f.errors.isEmpty()) << f.errors.join(' ').toStdString();
}

TEST(WindowFaults, FileErrorReportsNameTheFile) {
  Loaded l;
  TestForm& f = l.form;
  QFile::remove(l.Protocol());
  ASSERT_TRUE(QDir(l.dir.path()).mkdir(QStringLiteral("halde.LST")));
  f.ToolButton1->click();
  ASSERT_EQ(f.errors.size(), 1);
  EXPECT_TRUE(f.errors[0].endsWith(QStringLiteral("Dateizugriff verweigert"))) << f.errors[0].toStdString();
  EXPECT_EQ(f.error_details,
            QStringList{"Datei: " + l.Protocol() + " (unter diesem Namen steht ein Ordner)"});

  // A report without a file has no detail.
  f.EditMasstab->setText(QStringLiteral("zwei"));
  f.ToolButton12->click();
  ClickTab(f, 2);
  ASSERT_EQ(f.errors.size(), 2);
  EXPECT_EQ(f.error_details.value(1), QString());
}

TEST(WindowFaults, StandardDialogsSpeakGerman) {
  if (!zelmaro::ui::LoadGermanTranslations()) GTEST_SKIP() << "qt6-translations-l10n is not installed";
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Save As"), QStringLiteral("Speichern unter"));
  EXPECT_EQ(QCoreApplication::translate("QPrintDialog", "Print"), QStringLiteral("Drucken"));
}
