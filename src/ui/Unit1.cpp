// The main window's handlers, each command behind RunCommand, the dialogs
// they open, and the events that bind them. The widgets are built in
// Unit1_layout.cpp, the plot in Unit1_plot.cpp, the run's host in
// Unit1_run.cpp.
#include "ui/Unit1.h"

#include <QAction>
#include <QCloseEvent>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QSettings>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QWindow>
#include <clocale>

#include "points/point_table.h"
#include "text/errors.h"
#include "text/version.h"
#include "ui/NumberBox.h"
#include "ui/Unit2.h"
#include "ui/ui_common.h"
#include "volume/balance.h"
#include "volume/run.h"

using zelmaro::ui::kCompleteOutlineKey;

// ---------------------------------------------------------------------------
// Commands

void TForm1::RunCommand(const std::function<void()>& command) {
  if (command_depth_ > 0) {
    command();
    return;
  }
  QString failure, detail;
  ++command_depth_;
  try {
    command();
  } catch (const std::exception& e) {
    failure = zelmaro::ui::ErrorText(e);
    detail = zelmaro::ui::ErrorDetail(e);
  } catch (...) {
    failure = QStringLiteral("Unbekannter Fehler");
  }
  --command_depth_;
  NumberBoxH0->SyncFromModel();
  if (!failure.isEmpty()) ShowError(failure, detail);
}

QString TForm1::GetVersionInfos(const QString& filename) {
  // Our executables carry no version resource; the build states the version.
  Q_UNUSED(filename);
  const QString version = QString::fromStdString(zelmaro::VersionText());
  return version.isEmpty() ? QStringLiteral("?") : version;
}

void TForm1::FormActivate() {
  ++activation_count_;
  // Every text conversion of the program uses "." whatever the regional
  // settings say; the core formats on its own, Qt and the C library follow.
  QLocale::setDefault(QLocale::c());
  std::setlocale(LC_NUMERIC, "C");
  setWindowTitle(QStringLiteral("Zelmaro Ver. ") + GetVersionInfos(QCoreApplication::applicationFilePath()) +
                 QStringLiteral(" Massenberechnung nach der Prismenmethode"));
  Display = 0;
  ws.view.MF = 1;
  OldFormwidth = frameGeometry().width();
  OldFormHeight = frameGeometry().height();
  program_page_change_ = true;
  PageControl1->setCurrentIndex(0);
  program_page_change_ = false;
}

void TForm1::LiesPunkte(const QString& file_name) {
  ws.LiesPunkte(QFile::encodeName(file_name).toStdString());
  ShowReadReport(file_name);
}

void TForm1::RequireReadablePointFile(const QString& file_name) {
  if (file_name.isEmpty()) throw zelmaro::ELimitError("Es ist keine Punktdatei gewählt.");
  // A folder, a device or a file without read access would leave the former
  // file's table in place, and the run would write that under this name.
  const QFileInfo info(file_name);
  QFile file(file_name);
  if (!info.isFile() || !file.open(QIODevice::ReadOnly))
    throw zelmaro::ELimitError("Die Punktdatei '" + file_name.toStdString() +
                               "' kann nicht gelesen werden.");
}

void TForm1::ChoosePointFile(bool set_limits, const QString& given) {
  if (!ConfirmEditsSaved()) return;
  const QString name = given.isEmpty() ? ChooseOpenFile() : given;
  if (name.isEmpty()) return;
  if (!PrepareImport(name, import_asked_)) return;
  EditPunktDat->setText(name);
  // What is shown now belongs to the former file; the run that follows when
  // the reference height changes fills the fields again.
  ClearResults();
  RequireReadablePointFile(name);
  LiesPunkte(EditPunktDat->text());
  RememberPointFile(name);
  // The grid would otherwise still hold the former file's points, and saving
  // from the tool bar would write them under the new file's name. It is
  // filled when its page is shown: for a large survey that takes a second
  // and most of the window's memory.
  if (PageControl1->currentIndex() == 1) {
    fillGrid();
  } else {
    FinishGridEdit(false);
    StringGridPkte->setRowCount(0);
    grid_awaits_points_ = true;
  }
  // Its bounds would be the start values, a reference height of 1e12.
  if (zelmaro::High(ws.P) < 1)
    throw zelmaro::ELimitError("Die Punktdatei '" + name.toStdString() + "' enthält keine Punkte.");
  // A different value runs a computation inside this assignment; the same
  // one (the file chosen again, or one with the same lowest height) runs it
  // here, so that the fields cleared above never stay empty.
  h0_changed_ = false;
  NumberBoxH0->SetValue(ws.bounds.MinZ);
  if (set_limits) {
    NumberBoxH0->SetMinValue(ws.bounds.MinZ);
    NumberBoxH0->SetMaxValue(ws.bounds.MaxZ);
  }
  if (!h0_changed_) ToolButton1Click();
  if (!ws.P.empty()) {
    ToolButton1->defaultAction()->setEnabled(true);
    SpeedButton1->setEnabled(true);
    SpeedButton2->setEnabled(true);
  }
}

void TForm1::BitBtn1Click() {
  if (QGuiApplication::keyboardModifiers() & Qt::ShiftModifier)
    ImportPointFile();
  else
    ChoosePointFile(false);
}

void TForm1::EditPunktDatDblClick() { ChoosePointFile(true); }

void TForm1::SetPlotButtonsEnabled(bool enabled) {
  for (QToolButton* b : {ToolButtonZoom, ToolButtonPan, ToolButtonPNR, ToolButtonZ, ToolButtonMesh0,
                         ToolButtonMesh1, ToolButtonDruck}) {
    b->defaultAction()->setEnabled(enabled);
  }
}

void TForm1::PageControl1Change() {
  // The window keeps the size the user gave it on every page; the plot
  // takes whatever its page offers.
  SetPlotButtonsEnabled(false);
  switch (PageControl1->currentIndex()) {
    case 1:
      fillGrid();
      break;
    case 2:
      // The page takes the window's size now, so that the redraw sees it.
      if (layout()) layout()->activate();
      Display = 0;
      ZeigPPunkte();
      SetPlotButtonsEnabled(true);
      break;
    default:
      break;
  }
}

void TForm1::ToolButton1Click() {
  coincidence_shown_ = false;
  last_run_.reset();
  // Before the protocol is made: a run on a file it cannot read would
  // compute the former table and write it under the new name.
  RequireReadablePointFile(EditPunktDat->text());
  zelmaro::RecordingHost recorder(*this);
  {
    // Speaks up when a horizon is triangulated, and gives the status bar
    // back before the run's own line goes there.
    BusyScope busy(*this);
    // A failed run has no figures any more; the page must not keep older ones.
    try {
      zelmaro::ToolButton1Click(ws, recorder);
    } catch (const zelmaro::EProtocolNotWritten&) {
      // The figures are all out and shown; only the file is missing.
      last_run_ = std::make_unique<zelmaro::RunRecord>(std::move(recorder.Finish(ws.P)));
      ShowCutFill();
      ShowOutlineLoss();
      throw;
    } catch (zelmaro::EInOutError& e) {
      // Writing the protocol is what a run does to files besides reading.
      if (e.FileName().empty())
        e.SetFileName(zelmaro::ProtocolFileName(EditPunktDat->text().toStdString()));
      ShowCutFill();
      throw;
    } catch (...) {
      ShowCutFill();
      SetCutFillNote(QString());
      throw;
    }
  }
  last_run_ = std::make_unique<zelmaro::RunRecord>(std::move(recorder.Finish(ws.P)));
  ShowCutFill();
  ShowOutlineLoss();
}

void TForm1::NumberBoxH0ChangeValue() { ToolButton1Click(); }

void TForm1::SpeedButton1Click() {
  BusyScope busy(*this);
  busy.Say(QStringLiteral("Massenausgleich Bezugshorizont …"));
  int run = 0;
  zelmaro::SpeedButton1Click(ws, NumberBoxH0->Model(), [this, &busy, &run] {
    busy.Say(QStringLiteral("Massenausgleich Bezugshorizont, Berechnung %1 …").arg(++run));
    ToolButton1Click();
  });
}

void TForm1::SpeedButton2Click() {
  BusyScope busy(*this);
  busy.Say(QStringLiteral("Massenausgleich Gelände …"));
  int run = 0;
  zelmaro::SpeedButton2Click(ws, NumberBoxH0->Model(), [this, &busy, &run] {
    busy.Say(QStringLiteral("Massenausgleich Gelände, Berechnung %1 …").arg(++run));
    ToolButton1Click();
  });
}

void TForm1::ToolButton2Click() { RunPrinterSetup(); }

void TForm1::ToolButton4Click() {
  if (Form2) Form2->ShowInfo();
}

void TForm1::ToolButton5Click() {
  if (!ConfirmEditsSaved()) return;
  ws.P.clear();
  ws.P.shrink_to_fit();
  ws.Mesh0.reset();
  ws.Mesh1.reset();
  close();
}

void TForm1::ToolButtonPNRClick() { ZeigPPunkte(); }
void TForm1::ToolButtonZClick() { ZeigPPunkte(); }
void TForm1::ToolButtonMesh0Click() { ZeigPPunkte(); }
void TForm1::ToolButtonMesh1Click() { ZeigPPunkte(); }

void TForm1::ToolButtonRandClick() {
  ws.complete_outline = ToolButtonRand->isChecked();
  QSettings().setValue(kCompleteOutlineKey, ws.complete_outline);
  // Results on the screen must belong to the setting shown: compute again
  // when there are results, and draw them where the plot is shown.
  if (!ws.Mesh0) return;
  ToolButton1Click();
  if (PageControl1->currentWidget() == TabSheet3) ZeigPPunkte();
}

void TForm1::ToolButtonZeroLinesClick() { RedrawShownPlot(); }

void TForm1::RedrawShownPlot() {
  if (PageControl1->currentWidget() == TabSheet3) ZeigPPunkte();
}

// ---------------------------------------------------------------------------
// Dialogs

QString TForm1::ChooseOpenFile() {
  QFileDialog dialog(this);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setNameFilters({QStringLiteral("ASC Datei (*.asc)"), QStringLiteral("Kor Datei (*.Kor)"),
                         QStringLiteral("TXT Datei (*.TXT)"), QStringLiteral("PKT Datei (*.PKT)"),
                         QStringLiteral("Alle Dateien (*)")});
  // The extensions match in any letter case, as users of these files expect.
  dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
  // Beside the current file, else where the last one was chosen.
  const QFileInfo current(EditPunktDat->text());
  if (!EditPunktDat->text().isEmpty() && current.dir().exists())
    dialog.setDirectory(current.dir());
  else if (const QString last = LastPointFolder(); !last.isEmpty())
    dialog.setDirectory(last);
  if (dialog.exec() != QDialog::Accepted) return QString();
  return dialog.selectedFiles().value(0);
}

QString TForm1::ChooseSaveFile() {
  QFileDialog dialog(this);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  const QFileInfo current(EditPunktDat->text());
  if (!EditPunktDat->text().isEmpty() && current.dir().exists()) dialog.setDirectory(current.dir());
  // Primed with the current point file, so saving the edits back is one click.
  if (!EditPunktDat->text().isEmpty()) dialog.selectFile(current.fileName());
  if (dialog.exec() != QDialog::Accepted) return QString();
  return dialog.selectedFiles().value(0);
}

void TForm1::ShowError(const QString& text, const QString& detail) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Zelmaro"), text, QMessageBox::Ok, this);
  // The report's text stays the short one; which file it concerns is one
  // click away.
  if (!detail.isEmpty()) box.setDetailedText(detail);
  box.exec();
}

void TForm1::ShowCoincidenceMessage() {
  QMessageBox::information(this, QStringLiteral("Zelmaro"),
                           QStringLiteral("INCIRCUM - F - Points are coincident !!"), QMessageBox::Ok);
}

// ---------------------------------------------------------------------------
// Events

void TForm1::WindowFocusChanged(QWindow* window) {
  if (window == focus_current_) return;
  focus_previous_ = focus_current_;
  focus_current_ = window;
}

// The activation steps run at start and when the user comes back from
// another window of the program (the info window), not when the whole
// program comes back from another program, and not when one of our own modal
// boxes or menus closes: those return inside the command that opened them,
// and re-running the steps afterwards would undo what the command set (the
// view fit's MF, the page being shown).
bool TForm1::ActivationFromWithinProgram() const {
  if (!activated_once_) return true;
  QWindow* const self = windowHandle();
  QWindow* before = focus_current_ == self ? focus_previous_.data() : focus_current_.data();
  if (!before || before == self) return false;
  if (before->modality() != Qt::NonModal) return false;
  const Qt::WindowType type = before->type();
  if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::Dialog || type == Qt::Sheet) return false;
  return true;
}

bool TForm1::event(QEvent* event) {
  // The status bar keeps the last picked point: no hovered widget or menu
  // entry may replace it with a tip.
  if (event->type() == QEvent::StatusTip) return true;
  if (event->type() == QEvent::WindowActivate) {
    const bool run = ActivationFromWithinProgram();
    activated_once_ = true;
    if (run) RunCommand([this] { FormActivate(); });
  }
  return QMainWindow::event(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
  bool may_close = false;
  RunCommand([this, &may_close] { may_close = ConfirmEditsSaved(); });
  if (!may_close) {
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == EditPunktDat && event->type() == QEvent::MouseButtonDblClick) {
    RunCommand([this] { EditPunktDatDblClick(); });
    return true;
  }
  if (watched == EditHLIntervall && event->type() == QEvent::KeyPress) {
    // Only digits and a decimal point or comma can be typed; control keys
    // and shortcuts (erase, paste) still work.
    auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    const bool shortcut = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool allowed = !text.isEmpty() && (text[0].isDigit() || text[0] == u'.' || text[0] == u',');
    if (!shortcut && !text.isEmpty() && text[0].isPrint() && !allowed) return true;
  }
  if (watched == TabSheet4 && event->type() == QEvent::Show)
    RunCommand([this] { FillProtocolPane(); });
  if (watched == TabSheet3 && event->type() == QEvent::Resize) {
    Imagepp->setGeometry(0, 32, TabSheet3->width(), qMax(0, TabSheet3->height() - 32));
  }
  if (watched == Imagepp) {
    // The second press of a quick double click comes as a double click; it
    // is a press all the same, so that quick clicks zoom step by step.
    QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonDblClick) type = QEvent::MouseButtonPress;
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
        type == QEvent::MouseButtonRelease) {
      auto* mouse = static_cast<QMouseEvent*>(event);
      RunCommand([this, mouse, type] {
        if (type == QEvent::MouseButtonPress) ImageppMouseDown(mouse);
        if (type == QEvent::MouseMove) ImageppMouseMove(mouse);
        if (type == QEvent::MouseButtonRelease) ImageppMouseUp(mouse);
      });
    }
  }
  return QMainWindow::eventFilter(watched, event);
}
