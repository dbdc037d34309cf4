// The menu bar: the tool bar's commands under the same actions, their
// shortcuts, the recent point files and a point file dropped on the window.
#include <gtest/gtest.h>

#include <QDir>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include "test_form.h"
#include "ui/NumberBox.h"

namespace {

QStringList Titles(const QMenuBar* bar) {
  QStringList titles;
  for (const QAction* a : bar->actions()) titles << a->text();
  return titles;
}

void Drop(QWidget& target, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&target, &enter);
  if (!enter.isAccepted()) return;
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&target, &drop);
}

}  // namespace

TEST(Menu, SharesTheToolBarsActionsAndTheirShortcuts) {
  QSettings().remove(QStringLiteral("Punktdateien"));
  TestForm form;
  form.real_runs = false;
  ASSERT_TRUE(ShowActive(form));
  EXPECT_EQ(Titles(form.MenuBar1), QStringList({"&Datei", "&Berechnung", "&Ansicht", "&Hilfe"}));
  // Every tool button's command stands in a menu, as the very same action.
  QList<QAction*> in_menus;
  for (QMenu* m : {form.MenuDatei, form.MenuBerechnung, form.MenuAnsicht, form.MenuHilfe})
    in_menus += m->actions();
  for (QToolButton* b : form.ToolBar1->findChildren<QToolButton*>()) {
    if (b->objectName().startsWith(QStringLiteral("qt_"))) continue;
    EXPECT_TRUE(in_menus.contains(b->defaultAction())) << b->objectName().toStdString();
  }
  const std::vector<std::pair<QAction*, QKeySequence>> keys = {
      {form.ActionOpen, QKeySequence(Qt::CTRL | Qt::Key_O)},
      {form.ToolButton9->defaultAction(), QKeySequence(Qt::CTRL | Qt::Key_S)},
      {form.ToolButtonDruck->defaultAction(), QKeySequence(Qt::CTRL | Qt::Key_P)},
      {form.ToolButtonExport->defaultAction(), QKeySequence(Qt::CTRL | Qt::Key_E)},
      {form.ToolButton1->defaultAction(), QKeySequence(Qt::Key_F5)},
      {form.ToolButton5->defaultAction(), QKeySequence(Qt::CTRL | Qt::Key_Q)},
      {form.ToolButton4->defaultAction(), QKeySequence(Qt::Key_F1)}};
  for (const auto& [action, key] : keys) EXPECT_EQ(action->shortcut(), key) << action->text().toStdString();

  // The menu's entry and the button are one command with one state.
  form.ToolButtonMesh1->defaultAction()->trigger();
  EXPECT_TRUE(form.ToolButtonMesh1->isChecked());
  form.ToolButtonPan->click();
  form.ToolButtonZoom->defaultAction()->trigger();
  EXPECT_FALSE(form.ToolButtonPan->isChecked());
  QTest::keyClick(&form, Qt::Key_F5);
  EXPECT_EQ(form.runs, 1);
  // A tool tip is the described hint; the menu has its own text.
  EXPECT_EQ(form.ToolButtonZoom->toolTip(), QStringLiteral("Bild zoomenm"));
}

TEST(Menu, RecentFilesAndADroppedFileOpenAsChosenOnes) {
  QSettings().remove(QStringLiteral("Punktdateien"));
  QTemporaryDir dir;
  TestForm form;
  form.real_runs = false;
  ASSERT_TRUE(ShowActive(form));
  EXPECT_FALSE(form.MenuRecent->isEnabled());
  QStringList files;
  for (int i = 0; i < 9; ++i) {
    files << WritePointFile(dir, QStringLiteral("p%1.asc").arg(i), SquareSurvey(280 + i, 300));
    form.files_to_choose = {files.last()};
    form.BitBtn1->click();
  }
  // The last eight, the latest first; the first is gone.
  const QList<QAction*> recent = form.MenuRecent->actions();
  ASSERT_EQ(recent.size(), 8);
  EXPECT_EQ(recent[0]->text(), QStringLiteral("&1 p8.asc"));
  EXPECT_EQ(recent[7]->data().toString(), QFileInfo(files[1]).absoluteFilePath());
  recent[3]->trigger();
  EXPECT_EQ(form.EditPunktDat->text(), QFileInfo(files[5]).absoluteFilePath());
  EXPECT_EQ(form.NumberBoxH0->Value(), 285.0);
  EXPECT_EQ(form.MenuRecent->actions()[0]->text(), QStringLiteral("&1 p5.asc"));

  // A dropped point file is opened; a folder or two files are not taken.
  Drop(form, {QUrl::fromLocalFile(dir.path())});
  Drop(form, {QUrl::fromLocalFile(files[0]), QUrl::fromLocalFile(files[1])});
  EXPECT_EQ(form.EditPunktDat->text(), QFileInfo(files[5]).absoluteFilePath());
  Drop(form, {QUrl::fromLocalFile(files[0])});
  EXPECT_EQ(form.EditPunktDat->text(), files[0]);
  EXPECT_EQ(form.NumberBoxH0->Value(), 280.0);
  EXPECT_TRUE(form.errors.isEmpty()) << form.errors.join('\n').toStdString();
}

// A picture of the open menu "Datei" (see docs/screenshots/README.md).
TEST(Screenshots, Menu) {
  if (qEnvironmentVariableIsEmpty("ZELMARO_SCREENSHOT_DIR")) GTEST_SKIP() << "ZELMARO_SCREENSHOT_DIR not set";
  const QString out = QDir(qEnvironmentVariable("ZELMARO_SCREENSHOT_DIR")).absolutePath();
  QTemporaryDir dir;
  const QString example = dir.filePath("halde.asc");
  ASSERT_TRUE(QFile::copy(QDir::cleanPath(QStringLiteral(ZELMARO_TEST_DATA "/../../examples/halde.asc")), example));
  TestForm form;
  ShowActive(form);
  form.files_to_choose = {example};
  form.BitBtn1->click();
  form.MenuBar1->setActiveAction(form.MenuDatei->menuAction());
  QTest::qWait(300);
  ASSERT_TRUE(form.MenuDatei->isVisible());
  const QRect frame = form.frameGeometry();
  const QRect menu = form.MenuDatei->geometry();
  const QRect shot = frame.united(menu);
  EXPECT_TRUE(form.screen()->grabWindow(0, shot.x(), shot.y(), shot.width(), shot.height())
                  .save(out + "/menu.png"));
  form.MenuDatei->close();
}
