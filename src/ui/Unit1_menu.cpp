// The menu bar over the tool bar's commands, the recent point files and a
// point file dropped onto the window.
#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QToolButton>
#include <QUrl>

#include "ui/Unit1.h"
#include "ui/ui_common.h"

namespace {

const QString kRecentKey = QStringLiteral("Punktdateien/Zuletzt");
const QString kFolderKey = QStringLiteral("Punktdateien/Ordner");
constexpr int kRecentCount = 8;

// The one local file a drag carries, empty for anything else.
QString DroppedFile(const QMimeData* data) {
  if (!data || !data->hasUrls() || data->urls().size() != 1) return QString();
  const QUrl url = data->urls().constFirst();
  if (!url.isLocalFile()) return QString();
  const QString file = url.toLocalFile();
  return QFileInfo(file).isFile() ? file : QString();
}

}  // namespace

void TForm1::CreateMenuBar() {
  MenuBar1 = new QMenuBar(this);
  MenuBar1->setObjectName(QStringLiteral("MenuBar1"));
  MenuBar1->setFont(zelmaro::ui::TahomaFont());
  setMenuBar(MenuBar1);
  auto command = [this](QAction* action, void (TForm1::*handler)()) {
    connect(action, &QAction::triggered, this,
            [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
  };
  // The tool bar's action, with the menu's text (the hint stays the button's).
  auto shared = [](QToolButton* button, const QString& text, const QKeySequence& keys = {}) {
    QAction* action = button->defaultAction();
    action->setText(text);
    action->setShortcut(keys);
    return action;
  };

  MenuDatei = MenuBar1->addMenu(QStringLiteral("&Datei"));
  MenuDatei->setObjectName(QStringLiteral("MenuDatei"));
  ActionOpen = MenuDatei->addAction(QStringLiteral("Punktdatei &öffnen …"));
  ActionOpen->setObjectName(QStringLiteral("ActionOpen"));
  ActionOpen->setShortcut(QKeySequence::Open);
  command(ActionOpen, &TForm1::BitBtn1Click);
  MenuRecent = MenuDatei->addMenu(QStringLiteral("&Zuletzt geöffnet"));
  MenuRecent->setObjectName(QStringLiteral("MenuRecent"));
  FillRecentMenu();
  MenuDatei->addAction(shared(ToolButton9, QStringLiteral("Punktdaten &speichern …"),
                              QKeySequence(Qt::CTRL | Qt::Key_S)));
  MenuDatei->addAction(shared(ToolButtonExport, QStringLiteral("&Exportieren …"),
                              QKeySequence(Qt::CTRL | Qt::Key_E)));
  MenuDatei->addSeparator();
  MenuDatei->addAction(shared(ToolButton2, QStringLiteral("Drucker &einstellen …")));
  MenuDatei->addAction(shared(ToolButtonDruck, QStringLiteral("Bild &drucken"),
                              QKeySequence(Qt::CTRL | Qt::Key_P)));
  MenuDatei->addSeparator();
  MenuDatei->addAction(shared(ToolButton5, QStringLiteral("Programm&ende"),
                              QKeySequence(Qt::CTRL | Qt::Key_Q)));

  MenuBerechnung = MenuBar1->addMenu(QStringLiteral("&Berechnung"));
  MenuBerechnung->setObjectName(QStringLiteral("MenuBerechnung"));
  MenuBerechnung->addAction(shared(ToolButton1, QStringLiteral("Massen &berechnen"),
                                   QKeySequence(Qt::Key_F5)));
  ActionBalance0 = MenuBerechnung->addAction(QStringLiteral("Massenausgleich Bezugs&horizont"));
  command(ActionBalance0, &TForm1::SpeedButton1Click);
  ActionBalance1 = MenuBerechnung->addAction(QStringLiteral("Massenausgleich &Gelände"));
  command(ActionBalance1, &TForm1::SpeedButton2Click);
  MenuBerechnung->addSeparator();
  MenuBerechnung->addAction(shared(ToolButtonRand, QStringLiteral("&Randdreiecke ergänzen")));

  MenuAnsicht = MenuBar1->addMenu(QStringLiteral("&Ansicht"));
  MenuAnsicht->setObjectName(QStringLiteral("MenuAnsicht"));
  MenuAnsicht->addAction(shared(ToolButtonPan, QStringLiteral("Bild &verschieben")));
  MenuAnsicht->addAction(shared(ToolButtonZoom, QStringLiteral("Bild &zoomen")));
  MenuAnsicht->addSeparator();
  MenuAnsicht->addAction(shared(ToolButtonPNR, QStringLiteral("&Punktnummern")));
  MenuAnsicht->addAction(shared(ToolButtonZ, QStringLiteral("&Höhen")));
  MenuAnsicht->addSeparator();
  MenuAnsicht->addAction(shared(ToolButtonMesh0, QStringLiteral("Vermaschung &Bezugshorizont")));
  MenuAnsicht->addAction(shared(ToolButtonMesh1, QStringLiteral("Vermaschung &Gelände")));
  MenuAnsicht->addAction(shared(ToolButtonIsoline, QStringLiteral("Höhen&linien")));
  MenuAnsicht->addAction(shared(ToolButtonZeroLines, QStringLiteral("&Nulllinien")));
  MenuAnsicht->addAction(shared(ToolButton12, QStringLiteral("&Ausgabebereich")));

  MenuHilfe = MenuBar1->addMenu(QStringLiteral("&Hilfe"));
  MenuHilfe->setObjectName(QStringLiteral("MenuHilfe"));
  MenuHilfe->addAction(shared(ToolButton4, QStringLiteral("&Programminfo"), QKeySequence(Qt::Key_F1)));
}

QString TForm1::LastPointFolder() const { return QSettings().value(kFolderKey).toString(); }

void TForm1::RememberPointFile(const QString& file) {
  const QString path = QFileInfo(file).absoluteFilePath();
  QSettings settings;
  QStringList recent = settings.value(kRecentKey).toStringList();
  recent.removeAll(path);
  recent.prepend(path);
  while (recent.size() > kRecentCount) recent.removeLast();
  settings.setValue(kRecentKey, recent);
  settings.setValue(kFolderKey, QFileInfo(path).absolutePath());
  FillRecentMenu();
}

void TForm1::FillRecentMenu() {
  MenuRecent->clear();
  const QStringList recent = QSettings().value(kRecentKey).toStringList();
  int n = 0;
  for (const QString& file : recent) {
    // "&1 halde.asc": the number picks it by key; the tip gives the folder.
    QAction* action = MenuRecent->addAction(
        QStringLiteral("&%1 %2").arg(++n).arg(QFileInfo(file).fileName()));
    action->setToolTip(file);
    action->setData(file);
    connect(action, &QAction::triggered, this,
            [this, file] { RunCommand([this, file] { ChoosePointFile(false, file); }); });
  }
  MenuRecent->setEnabled(!recent.isEmpty());
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  const QString file = DroppedFile(event->mimeData());
  if (file.isEmpty()) return;
  event->acceptProposedAction();
  RunCommand([this, file] { ChoosePointFile(false, file); });
}
