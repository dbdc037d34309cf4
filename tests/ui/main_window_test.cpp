// The main window driven through its widgets: start state, tool bar, point
// file choice, page changes, activation and the command error boundary.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <cstdlib>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "test_form.h"
#include "plot/view.h"
#include "text/errors.h"
#include "ui/NumberBox.h"
#include "ui/Unit2.h"

namespace {

// Counts the plot redraws and grid fillings the page changes ask for.
class CountingForm : public TestForm {
 public:
  int redraws = 0;
  int fillings = 0;
  void ZeigPPunkte() override { ++redraws; }
  void fillGrid() override { ++fillings; }
};

std::vector<QToolButton*> PlotButtons(TForm1& f) {
  return {f.ToolButtonZoom, f.ToolButtonPan,   f.ToolButtonPNR,  f.ToolButtonZ,
          f.ToolButtonMesh0, f.ToolButtonMesh1, f.ToolButtonDruck};
}

bool AllEnabled(const std::vector<QToolButton*>& buttons, bool enabled) {
  for (QToolButton* b : buttons) {
    if (b->isEnabled() != enabled) return false;
  }
  return true;
}

// A page selected as the user selects it: a click on its tab.
void ClickTab(TForm1& f, int index) {
  QTabBar* bar = f.PageControl1->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
}

// Centred on the screen, give or take the rounding of odd sizes.
bool Centred(QWidget& w) {
  const QPoint d = w.frameGeometry().center() - w.screen()->geometry().center();
  return std::abs(d.x()) <= 1 && std::abs(d.y()) <= 1;
}

}  // namespace

TEST(MainWindow, StartsWithCaptionFirstPageAndEverythingUp) {
  TestForm form;
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Massenberechnung"));
  ASSERT_TRUE(ShowActive(form));
  EXPECT_EQ(form.ActivationCount(), 1);
  EXPECT_EQ(form.windowTitle(),
            QStringLiteral("Zelmaro Ver. 1.1 Massenberechnung nach der Prismenmethode"));
  // The designed size below the menu bar, widened to show every tool button.
  EXPECT_EQ(form.height(), 343 + form.MenuBar1->height());
  EXPECT_GE(form.width(), 538);
  for (QToolButton* b : form.ToolBar1->findChildren<QToolButton*>()) {
    // Qt's own overflow button "»" is hidden: nothing stands behind it.
    EXPECT_EQ(b->isVisible(), !b->objectName().startsWith(QStringLiteral("qt_")))
        << b->objectName().toStdString();
  }
  EXPECT_EQ(form.PageControl1->currentIndex(), 0);
  EXPECT_EQ(form.PageControl1->count(), 5);
  const QStringList pages = {"Eingabedaten", "Punktliste", "Punktgrafik", "Protokoll",
                             "Auf- und Abtrag"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(form.PageControl1->tabText(i), pages[i]);
  for (QToolButton* b : form.ToolBar1->findChildren<QToolButton*>()) {
    if (b->objectName().isEmpty()) continue;  // the tool bar's own extension button
    EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_FALSE(b->isChecked()) << b->objectName().toStdString();
  }
  EXPECT_TRUE(form.StatusBar1->currentMessage().isEmpty());
  for (QLineEdit* e : {form.EditA0, form.EditM0, form.EditA1, form.EditM1, form.EditA2, form.EditM2}) {
    EXPECT_TRUE(e->text().isEmpty());
    EXPECT_TRUE(e->isReadOnly());
    EXPECT_TRUE(e->alignment() & Qt::AlignRight);
    EXPECT_TRUE(e->font().bold());
  }
  EXPECT_EQ(form.NumberBoxH0->Value(), 0.0);
  EXPECT_EQ(form.NumberBoxH0->Model().MinValue(), 0.0);
  EXPECT_EQ(form.NumberBoxH0->Model().MaxValue(), 0.0);
  EXPECT_TRUE(form.Work().P.empty());
  EXPECT_EQ(form.Work().Mesh0, nullptr);
  EXPECT_EQ(form.OldFormwidth, form.frameGeometry().width());
  EXPECT_EQ(form.OldFormHeight, form.frameGeometry().height());
}

TEST(MainWindow, ToolBarOrderHintsAndKinds) {
  TestForm form;
  struct Entry {
    const char* name;
    const char* hint;  // nullptr: a separator
    bool toggle;
  };
  const std::vector<Entry> expected = {
      {"ToolButton1", "Massen berechnen", false},
      {"ToolButton6", nullptr, false},
      {"ToolButtonPan", "Bild Verschieben", true},
      {"ToolButtonZoom", "Bild zoomenm", true},
      {"ToolButton3", nullptr, false},
      {"ToolButtonPNR", "Punktnummern ein/aus", true},
      {"ToolButtonZ", "Höhen anzeigen", true},
      {"ToolButton7", nullptr, false},
      {"ToolButtonMesh0", "Vermaschung Bezugshorizont", true},
      {"ToolButtonMesh1", "Vermaschung Gelände", true},
      {"ToolButtonIsoline", "Höhenlinien", true},
      {"ToolButtonRand", "Randdreiecke ergänzen", true},
      {"ToolButtonZeroLines", "Nulllinien anzeigen", true},
      {"ToolButton11", nullptr, false},
      {"ToolButton12", "Ausgabebereich anzeigen", true},
      {"ToolButton2", "Drucker einstellen", false},
      {"ToolButtonDruck", "Bild Drucken", false},
      {"ToolButton8", nullptr, false},
      {"ToolButton9", "Punktdaten speichern", false},
      {"ToolButton10", nullptr, false},
      {"ToolButton4", "Programminfo", false},
      {"ToolButton5", "Programmende", false},
      {"ToolButtonExport", "Exportieren …", false},
  };
  const QList<QAction*> actions = form.ToolBar1->actions();
  ASSERT_EQ(actions.size(), static_cast<qsizetype>(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    QWidget* w = form.ToolBar1->widgetForAction(actions[static_cast<qsizetype>(i)]);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->objectName(), QString::fromLatin1(expected[i].name)) << i;
    auto* button = qobject_cast<QToolButton*>(w);
    if (!expected[i].hint) {
      EXPECT_EQ(button, nullptr) << expected[i].name;
      EXPECT_EQ(w->width(), 8);
      continue;
    }
    ASSERT_NE(button, nullptr) << expected[i].name;
    EXPECT_EQ(button->toolTip(), QString::fromUtf8(expected[i].hint));
    EXPECT_EQ(button->isCheckable(), expected[i].toggle) << expected[i].name;
    EXPECT_EQ(button->width(), 30);
    EXPECT_FALSE(button->icon().isNull()) << expected[i].name;
  }
}

TEST(MainWindow, ToggleGroupsAreExclusiveButMayAllBeUp) {
  CountingForm form;
  ASSERT_TRUE(ShowActive(form));
  form.ToolButtonPNR->click();
  EXPECT_TRUE(form.ToolButtonPNR->isChecked());
  EXPECT_EQ(form.redraws, 1);

  // Heights while point numbers are down: numbers go up, one redraw.
  form.ToolButtonZ->click();
  EXPECT_TRUE(form.ToolButtonZ->isChecked());
  EXPECT_FALSE(form.ToolButtonPNR->isChecked());
  EXPECT_EQ(form.redraws, 2);
  form.ToolButtonZ->click();
  EXPECT_FALSE(form.ToolButtonZ->isChecked());
  EXPECT_FALSE(form.ToolButtonPNR->isChecked());

  form.ToolButtonPan->click();
  form.ToolButtonZoom->click();
  EXPECT_TRUE(form.ToolButtonZoom->isChecked());
  EXPECT_FALSE(form.ToolButtonPan->isChecked());
  // Group A does not reach into group B, and the mesh toggles are independent.
  form.ToolButtonPNR->click();
  EXPECT_TRUE(form.ToolButtonZoom->isChecked());
  form.ToolButtonMesh0->click();
  form.ToolButtonMesh1->click();
  form.ToolButtonIsoline->click();
  form.ToolButton12->click();
  EXPECT_TRUE(form.ToolButtonMesh0->isChecked() && form.ToolButtonMesh1->isChecked() &&
              form.ToolButtonIsoline->isChecked() && form.ToolButton12->isChecked());
  EXPECT_TRUE(form.ToolButtonPNR->isChecked());
  EXPECT_EQ(form.redraws, 6);  // PNR, Z, Z, PNR, Mesh0, Mesh1; Isoline and 12 only set state

  form.ToolButton2->click();
  EXPECT_EQ(form.printer_setups, 1);
}

// Choosing a file computes it once, also when the reference height stays
// (the same file again, or one with the same lowest height): its results
// were cleared and must not stay empty.
TEST(MainWindow, ChoosingWithDotsComputesOnceWhateverTheLowestHeight) {
  QTemporaryDir dir;
  const QString high = WritePointFile(dir, "hoch.asc", SquareSurvey(280, 300));
  const QString low = WritePointFile(dir, "tief.asc", SquareSurvey(250, 260));
  TestForm form;
  form.real_runs = false;
  ASSERT_TRUE(ShowActive(form));

  form.BitBtn1->click();  // cancelled
  EXPECT_TRUE(form.EditPunktDat->text().isEmpty());
  EXPECT_EQ(form.runs, 0);
  EXPECT_TRUE(form.Work().P.empty());

  form.files_to_choose = {high};
  form.BitBtn1->click();
  EXPECT_EQ(form.EditPunktDat->text(), high);
  EXPECT_EQ(form.Work().P.size(), 10u);
  EXPECT_EQ(form.NumberBoxH0->Value(), 280.0);
  EXPECT_EQ(form.NumberBoxH0->text(), QStringLiteral("280.000"));
  EXPECT_EQ(form.runs, 1);

  form.files_to_choose = {high};
  form.BitBtn1->click();
  EXPECT_EQ(form.runs, 2);

  form.files_to_choose = {low};
  form.BitBtn1->click();
  EXPECT_EQ(form.NumberBoxH0->Value(), 250.0);
  EXPECT_EQ(form.runs, 3);
  // "..." never sets limits.
  EXPECT_EQ(form.NumberBoxH0->Model().MinValue(), 0.0);
  EXPECT_EQ(form.NumberBoxH0->Model().MaxValue(), 0.0);

  // A file that cannot be read is reported; the table stays and nothing runs.
  form.files_to_choose = {dir.filePath("fehlt.asc")};
  form.BitBtn1->click();
  EXPECT_EQ(form.EditPunktDat->text(), dir.filePath("fehlt.asc"));
  EXPECT_EQ(form.Work().P.size(), 10u);
  EXPECT_EQ(form.NumberBoxH0->Value(), 250.0);
  EXPECT_EQ(form.runs, 3);
  EXPECT_EQ(form.errors, QStringList{"Die Punktdatei '" + dir.filePath("fehlt.asc") +
                                     "' kann nicht gelesen werden."});
}

TEST(MainWindow, DoubleClickSetsLimitsThatClampTheNextFile) {
  QTemporaryDir dir;
  const QString high = WritePointFile(dir, "hoch.asc", SquareSurvey(280, 300));
  const QString low = WritePointFile(dir, "tief.asc", SquareSurvey(250, 260));
  TestForm form;
  form.real_runs = false;
  ASSERT_TRUE(ShowActive(form));

  form.files_to_choose = {high};
  QTest::mouseDClick(form.EditPunktDat, Qt::LeftButton);
  EXPECT_EQ(form.NumberBoxH0->Model().MinValue(), 280.0);
  EXPECT_EQ(form.NumberBoxH0->Model().MaxValue(), 300.0);
  EXPECT_EQ(form.NumberBoxH0->Value(), 280.0);
  EXPECT_EQ(form.runs, 1);

  form.files_to_choose = {low};
  form.BitBtn1->click();
  EXPECT_EQ(form.EditPunktDat->text(), low);
  EXPECT_EQ(form.Work().bounds.MinZ, 250.0);
  EXPECT_EQ(form.NumberBoxH0->Value(), 280.0);
  EXPECT_EQ(form.runs, 2);  // the height stays, the new file is computed all the same

  // The user's entries are confined to the range too, and shown so.
  form.NumberBoxH0->setFocus();
  form.NumberBoxH0->selectAll();
  QTest::keyClicks(form.NumberBoxH0, "310");
  EXPECT_EQ(form.NumberBoxH0->Value(), 300.0);
  EXPECT_EQ(form.NumberBoxH0->text(), QStringLiteral("300.000"));
  QTest::keyClick(form.NumberBoxH0, Qt::Key_Up);
  EXPECT_EQ(form.NumberBoxH0->Value(), 300.0);
  EXPECT_EQ(form.NumberBoxH0->text(), QStringLiteral("300.000"));
}

// The window once jumped between the designed size and nearly the screen's
// as pages changed; it keeps one size now, the user's, never below the
// designed one.
TEST(MainWindow, PageChangesSetEnablingAndKeepTheWindowSize) {
  CountingForm form;
  ASSERT_TRUE(ShowActive(form));
  const QSize start = form.size();
  EXPECT_EQ(form.minimumSize(), start);
  // Until the first page change the plot buttons are enabled.
  EXPECT_TRUE(AllEnabled(PlotButtons(form), true));

  ClickTab(form, 2);
  EXPECT_EQ(form.PageControl1->currentIndex(), 2);
  EXPECT_EQ(form.size(), start);
  EXPECT_TRUE(AllEnabled(PlotButtons(form), true));
  EXPECT_EQ(form.redraws, 1);
  EXPECT_EQ(form.Display, 0);
  // The image spans the page from 32 pixels below its top.
  EXPECT_EQ(form.Imagepp->geometry(),
            QRect(0, 32, form.TabSheet3->width(), form.TabSheet3->height() - 32));

  form.ToolButtonZ->click();  // a toggle that is down stays down while disabled
  form.resize(start + QSize(200, 100));
  ClickTab(form, 3);
  EXPECT_EQ(form.size(), start + QSize(200, 100));
  EXPECT_TRUE(AllEnabled(PlotButtons(form), false));
  EXPECT_TRUE(form.ToolButtonZ->isChecked());
  for (QToolButton* b : {form.ToolButton1, form.ToolButtonIsoline, form.ToolButton12, form.ToolButton2,
                         form.ToolButton9, form.ToolButton4, form.ToolButton5}) {
    EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
  }

  ClickTab(form, 0);
  EXPECT_EQ(form.size(), start + QSize(200, 100));
  EXPECT_TRUE(AllEnabled(PlotButtons(form), false));
  form.resize(start - QSize(100, 100));
  EXPECT_EQ(form.size(), start);

  ClickTab(form, 1);
  EXPECT_EQ(form.fillings, 1);
  EXPECT_EQ(form.size(), start);
  EXPECT_EQ(form.redraws, 2);  // only the one page change and the toggle
}

TEST(MainWindow, ActivationStepsRunWhenComingBackFromTheInfoWindowOnly) {
  CountingForm form;
  TForm2 info;
  form.SetInfoWindow(&info);
  ASSERT_TRUE(ShowActive(form));
  ClickTab(form, 2);
  const QSize enlarged = form.frameGeometry().size();
  form.Work().view.MF = 0.25;
  form.Work().view.XOFFset = 123;

  form.ToolButton4->click();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&info));
  EXPECT_TRUE(Centred(info));
  const int before = form.ActivationCount();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  EXPECT_EQ(form.ActivationCount(), before + 1);
  EXPECT_EQ(form.PageControl1->currentIndex(), 0);
  EXPECT_EQ(form.Work().view.MF, 1.0);
  EXPECT_EQ(form.Work().view.XOFFset, 123.0);
  // No page-change steps: the size and the enabling stay, the size is remembered.
  EXPECT_EQ(form.frameGeometry().size(), enlarged);
  EXPECT_EQ(form.OldFormwidth, enlarged.width());
  EXPECT_TRUE(AllEnabled(PlotButtons(form), true));
  EXPECT_EQ(form.redraws, 1);

  // The program coming back from another program: no activation steps.
  ClickTab(form, 3);
  emit qApp->focusWindowChanged(nullptr);
  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(&form, &activate);
  EXPECT_EQ(form.ActivationCount(), before + 1);
  EXPECT_EQ(form.PageControl1->currentIndex(), 3);

  // Nor when one of our own modal boxes closes.
  QDialog box(&form);
  box.setModal(true);
  box.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
  box.hide();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  EXPECT_EQ(form.ActivationCount(), before + 1);
  EXPECT_EQ(form.PageControl1->currentIndex(), 3);
}

TEST(MainWindow, FailuresEndTheCommandWithOneGermanReport) {
  TestForm form;
  bool after_failure = false;
  form.RunCommand([&] {
    form.RunCommand([] { throw zelmaro::EInvalidOp(); });
    after_failure = true;
  });
  EXPECT_FALSE(after_failure);
  ASSERT_EQ(form.errors.size(), 1);
  EXPECT_EQ(form.errors[0], QStringLiteral("Ungültige Gleitkommaoperation"));

  form.RunCommand([] { throw zelmaro::EInOutError(5); });
  ASSERT_EQ(form.errors.size(), 2);
  EXPECT_EQ(form.errors[1], QStringLiteral("Dateizugriff verweigert"));

  // The program goes on: the next command works.
  form.RunCommand([&] { after_failure = true; });
  EXPECT_TRUE(after_failure);
  EXPECT_EQ(form.errors.size(), 2);
}

TEST(MainWindow, PageContents) {
  TestForm form;
  ASSERT_TRUE(ShowActive(form));
  // Eingabedaten: positions as designed.
  EXPECT_EQ(form.GroupBox1->geometry(), QRect(19, 14, 366, 51));
  EXPECT_EQ(form.EditPunktDat->geometry(), QRect(3, 16, 326, 21));
  EXPECT_EQ(form.BitBtn1->geometry(), QRect(335, 15, 21, 21));
  EXPECT_EQ(form.BitBtn1->text(), QStringLiteral("..."));
  EXPECT_EQ(form.NumberBoxH0->parentWidget(), form.TabSheet1);
  // The designed width where the font lets the placeholder fit, else wider.
  EXPECT_EQ(form.NumberBoxH0->pos(), QPoint(406, 29));
  EXPECT_EQ(form.NumberBoxH0->width(),
            std::max(61, form.NumberBoxH0->WidthFor(form.NumberBoxH0->placeholderText())));
  EXPECT_EQ(form.GroupBox5->geometry().right(), form.NumberBoxH0->geometry().right() + 22);
  EXPECT_EQ(form.GroupBox6->title(), QStringLiteral("Projektbezeichnung"));
  EXPECT_EQ(form.SpeedButton1->toolTip(), QStringLiteral("Massenausgleich"));
  EXPECT_EQ(form.EditA2->toolTip(), QStringLiteral("Differenzfläche "));
  // Tab order as the page reads: the file and the height on the first row,
  // the results, the project.
  const std::vector<QWidget*> order = {form.EditPunktDat, form.BitBtn1, form.NumberBoxH0, form.EditA0,
                                       form.EditM0,       form.EditA1,  form.EditM1,      form.EditA2,
                                       form.EditM2,       form.EditBem};
  form.EditPunktDat->setFocus();
  for (size_t i = 0; i + 1 < order.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), order[i + 1]) << order[i]->objectName().toStdString();
  }

  // Punktliste: 6 columns, the header row and four empty rows, fixed "ID" column.
  QTableWidget* grid = form.StringGridPkte;
  EXPECT_EQ(grid->columnCount(), 6);
  EXPECT_EQ(grid->rowCount(), 4);
  EXPECT_TRUE(grid->horizontalHeader()->isVisibleTo(grid));
  EXPECT_EQ(grid->columnWidth(0), 50);
  EXPECT_EQ(grid->rowHeight(0), 20);
  EXPECT_FALSE(grid->item(0, 0)->flags() & Qt::ItemIsEditable);
  EXPECT_EQ(grid->font().family(), QStringLiteral("Courier"));
  QStringList items;
  for (QAction* a : form.PopupMenu1->actions()) items << a->text();
  EXPECT_EQ(items, QStringList({"Punkt löschen", "Punkt einfügen", "Punkte speichern"}));

  // Punktgrafik.
  EXPECT_EQ(form.GroupBox7->pos(), QPoint(3, 0));
  EXPECT_GE(form.GroupBox7->width(), 142);
  EXPECT_EQ(form.GroupBox7->height(), 33);
  EXPECT_EQ(form.GroupBox7->toolTip(), QStringLiteral("Plotmaßstab"));
  EXPECT_EQ(form.Label7->text(), QStringLiteral("Plotmaßstab 1 :"));
  EXPECT_EQ(form.EditMasstab->text(), QStringLiteral("1000"));
  EXPECT_EQ(form.Label8->text(), QStringLiteral("Höhenlinienintervall"));
  EXPECT_EQ(form.EditHLIntervall->text(), QStringLiteral("0.1"));

  // Protokoll: editable, both scroll bars, Courier.
  EXPECT_FALSE(form.Prot->isReadOnly());
  EXPECT_EQ(form.Prot->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(form.Prot->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(form.Prot->font().family(), QStringLiteral("Courier"));
}

TEST(MainWindow, ContourIntervalTakesDigitsAndADecimalSeparator) {
  TestForm form;
  ASSERT_TRUE(ShowActive(form));
  QLineEdit* edit = form.EditHLIntervall;
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, "0a.5- ");
  EXPECT_EQ(edit->text(), QStringLiteral("0.5"));
  edit->selectAll();
  QTest::keyClicks(edit, "0,5");
  EXPECT_EQ(edit->text(), QStringLiteral("0,5"));
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), QStringLiteral("0,"));
  // Pasting is not a keystroke of a character: letters still come in.
  edit->clear();
  QApplication::clipboard()->setText(QStringLiteral("1x"));
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), QStringLiteral("1x"));
}

TEST(MainWindow, ProgramEndWithoutDataClosesQuietly) {
  TestForm form;
  ASSERT_TRUE(ShowActive(form));
  form.ToolButton5->click();
  EXPECT_FALSE(form.isVisible());
  EXPECT_TRUE(form.errors.isEmpty());
  EXPECT_TRUE(form.Work().P.empty());
  EXPECT_EQ(form.Work().Mesh0, nullptr);
  EXPECT_EQ(form.Work().Mesh1, nullptr);
}

TEST(MainWindow, ViewFitUsesThePlotImageHeightWhileAnotherPageIsShown) {
  QTemporaryDir dir;
  const QString file = WritePointFile(dir, "hoch.asc", SquareSurvey(280, 300));
  TestForm form;
  form.real_runs = false;
  ASSERT_TRUE(ShowActive(form));
  // The plot page has never been shown; its image is as high as a page less 32.
  form.files_to_choose = {file};
  form.BitBtn1->click();
  zelmaro::TableBounds bounds;
  zelmaro::ViewValues expected;
  zelmaro::SetMinMaxOffset(form.Work().P, bounds, expected, form.TabSheet1->height() - 32);
  EXPECT_EQ(form.Work().view.MF, expected.MF);
  EXPECT_EQ(form.Work().view.XOFFset, expected.XOFFset);
  EXPECT_EQ(form.Work().view.YOffset, expected.YOffset);
  EXPECT_GT(form.TabSheet1->height(), 200);
}
