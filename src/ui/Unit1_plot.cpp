// The page "Punktgrafik": drawing the plot, the mouse and the wheel on it,
// and printing it, to a printer or a PDF file.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "plot/plot.h"
#include "text/atomic_file.h"
#include "text/errors.h"
#include "ui/PlotCanvas.h"
#include "ui/Unit1.h"
#include "ui/ui_common.h"

namespace {

// The pixel under the mouse, in the image's columns and rows.
QPoint ImagePixel(const QMouseEvent* event) {
  const QPointF p = event->position();
  return QPoint(static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y())));
}

}  // namespace

void TForm1::ZeigPPunkte() {
  zelmaro::TPlotSettings s;
  s.PNR = ToolButtonPNR->isChecked();
  s.Z = ToolButtonZ->isChecked();
  s.Mesh0 = ToolButtonMesh0->isChecked();
  s.Mesh1 = ToolButtonMesh1->isChecked();
  s.OutputArea = ToolButton12->isChecked();
  s.ZeroLines = ToolButtonZeroLines->isChecked();
  // Contour lines at an interval the user did not type would look right
  // and be wrong; while the text is no number they are left out.
  s.Isoline = IntervalText(s.HLIntervall) && ToolButtonIsoline->isChecked();
  s.Masstab = EditMasstab->text().toStdString();
  zelmaro::ui::QtPlotTarget target(PageSize(), plot_bitmap_, Printer());
  // What was drawn before a failure stays on the screen.
  auto show = [&] {
    if (target.FinishScreen()) Imagepp->setPixmap(QPixmap::fromImage(plot_bitmap_));
  };
  BusyScope busy(*this);  // speaks up when contour lines are computed
  try {
    zelmaro::ZeigPPunkte(ws, ws.view, Display, PlotMF, s, target, &contour_cache_);
  } catch (...) {
    show();
    throw;
  }
  show();
}

bool TForm1::IntervalText(std::string& text) {
  text = EditHLIntervall->text().toStdString();
  double v = 0;
  const bool number = zelmaro::TryContourInterval(text, v);
  zelmaro::ui::ShowNumberState(EditHLIntervall, number, false);
  return number;
}

zelmaro::TNavMode TForm1::NavMode() const {
  if (ToolButtonPan->isChecked()) return zelmaro::TNavMode::Pan;
  if (ToolButtonZoom->isChecked()) return zelmaro::TNavMode::Zoom;
  return zelmaro::TNavMode::Pick;
}

void TForm1::ImageppMouseDown(QMouseEvent* event) {
  zelmaro::TMouseButton button;
  switch (event->button()) {
    case Qt::LeftButton: button = zelmaro::TMouseButton::Left; break;
    case Qt::RightButton: button = zelmaro::TMouseButton::Right; break;
    case Qt::MiddleButton: button = zelmaro::TMouseButton::Middle; break;
    default: return;  // the side buttons are no plot buttons
  }
  const QPoint at = ImagePixel(event);
  const int i = zelmaro::ImageMouseDown(ws.P, ws.view, NavMode(), button, at.x(), at.y(),
                                        [this] { ZeigPPunkte(); });
  if (i > 0) {
    StatusBar1->showMessage(
        QString::fromStdString(zelmaro::PointStatusText(ws.P[static_cast<size_t>(i)])));
  }
}

void TForm1::ImageppMouseMove(QMouseEvent* event) {
  const QPoint at = ImagePixel(event);
  MausposX = at.x();
  MausposY = at.y();
}

void TForm1::ImageppMouseUp(QMouseEvent* event) {
  const QPoint at = ImagePixel(event);
  zelmaro::ImageMouseUp(ws.view, NavMode(), at.x(), at.y(), [this] { ZeigPPunkte(); });
}

// The wheel zooms about the last position over the image, wherever the
// mouse is now. A plot on a hidden page is not drawn: showing the page
// draws it with the view as the wheel left it.
void TForm1::WheelZoom(zelmaro::TZoom direction) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  struct RestoreCursor {
    ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
  } restore;
  zelmaro::ZoomAbout(ws.view, MausposX, MausposY, direction);
  if (PageControl1->currentWidget() == TabSheet3) ZeigPPunkte();
}

void TForm1::FormMouseWheelDown() { WheelZoom(zelmaro::TZoom::Out); }
void TForm1::FormMouseWheelUp() { WheelZoom(zelmaro::TZoom::In); }

void TForm1::wheelEvent(QWheelEvent* event) {
  // Touchpads and fine wheels send one notch as several small events: one
  // zoom step per 120 units of angle, as Qt's own widgets step. A turn the
  // other way starts afresh.
  const int dy = event->angleDelta().y();
  if ((dy < 0 && wheel_rest_ > 0) || (dy > 0 && wheel_rest_ < 0)) wheel_rest_ = 0;
  wheel_rest_ += dy;
  event->accept();
  while (wheel_rest_ <= -120) {
    wheel_rest_ += 120;
    RunCommand([this] { FormMouseWheelDown(); });
  }
  while (wheel_rest_ >= 120) {
    wheel_rest_ -= 120;
    RunCommand([this] { FormMouseWheelUp(); });
  }
}

// ---------------------------------------------------------------------------
// Printing

QPrinter& TForm1::Printer() {
  // At the printer's own resolution: the plot is drawn in 0.1 mm units.
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

namespace {
void CommitPdf(zelmaro::AtomicFile& pdf, const QString& target) {
  // Qt's PDF writer reports no failed write: a page that did not reach its
  // end ("%%EOF") was cut off.
  QFile written(QFile::decodeName(pdf.TempName().c_str()));
  QByteArray tail;
  if (written.open(QIODevice::ReadOnly) && written.size() > 0) {
    written.seek(std::max<qint64>(0, written.size() - 32));
    tail = written.readAll().trimmed();
  }
  if (!tail.endsWith("%%EOF"))
    throw zelmaro::ELimitError("Die PDF-Datei '" + QFile::encodeName(target).toStdString() +
                               "' ließ sich nicht vollständig schreiben (etwa weil das Laufwerk "
                               "voll ist); die bisherige Datei bleibt unverändert.");
  pdf.Commit();
}
}  // namespace

void TForm1::ToolButtonDruckClick() {
  QPrinter& printer = Printer();
  // Without a printer Qt's fallback is a PDF file; with no name for it the
  // job cannot start, so the name is asked for here, each time.
  if (printer.outputFormat() == QPrinter::PdfFormat &&
      (!PrinterInstalled() || printer.outputFileName().isEmpty())) {
    const QString name = ChoosePdfFile();
    if (name.isEmpty()) return;
    printer.setOutputFileName(name);
  }
  // A PDF file gets the page through a temporary file beside it, which takes
  // its name only once the page is complete: a failed print (a full disk)
  // keeps the former file.
  const QString pdf_target =
      printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
  zelmaro::AtomicFile pdf;
  if (!pdf_target.isEmpty()) {
    pdf.Create(QFile::encodeName(pdf_target).toStdString());
    printer.setOutputFileName(QFile::decodeName(pdf.TempName().c_str()));
  }
  Display = 1;
  try {
    ZeigPPunkte();
    if (!pdf_target.isEmpty()) {
      printer.setOutputFileName(pdf_target);
      CommitPdf(pdf, pdf_target);
    }
  } catch (...) {
    Display = 0;
    if (!pdf_target.isEmpty()) printer.setOutputFileName(pdf_target);
    RenewPrinter();
    throw;
  }
  Display = 0;
}

void TForm1::RenewPrinter() {
  if (!printer_) return;
  const QPrinter& old = *printer_;
  auto fresh = std::make_unique<QPrinter>(QPrinter::HighResolution);
  if (old.outputFormat() == QPrinter::NativeFormat)
    fresh->setPrinterName(old.printerName());
  else
    fresh->setOutputFormat(old.outputFormat());
  fresh->setOutputFileName(old.outputFileName());
  fresh->setPageLayout(old.pageLayout());
  fresh->setCopyCount(old.copyCount());
  fresh->setCollateCopies(old.collateCopies());
  fresh->setColorMode(old.colorMode());
  fresh->setDuplex(old.duplex());
  fresh->setPageOrder(old.pageOrder());
  fresh->setFullPage(old.fullPage());
  printer_ = std::move(fresh);
}

bool TForm1::PrinterInstalled() { return !QPrinterInfo::availablePrinterNames().isEmpty(); }

QString TForm1::ChoosePdfFile() {
  QFileDialog dialog(this, QStringLiteral("Bild Drucken"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(QStringLiteral("PDF Datei (*.pdf)"));
  dialog.setDefaultSuffix(QStringLiteral("pdf"));
  // Beside the point file, under its name, unless a file was chosen before.
  QString previous = Printer().outputFileName();
  if (previous.isEmpty() && !EditPunktDat->text().isEmpty()) {
    const QFileInfo point_file(EditPunktDat->text());
    previous = point_file.dir().filePath(point_file.completeBaseName() + QStringLiteral(".pdf"));
  }
  if (!previous.isEmpty()) {
    const QFileInfo target(previous);
    if (target.dir().exists()) dialog.setDirectory(target.dir());
    dialog.selectFile(target.fileName());
  }
  if (dialog.exec() != QDialog::Accepted) return QString();
  return dialog.selectedFiles().value(0);
}

void TForm1::RunPrinterSetup() {
  QPrintDialog dialog(&Printer(), this);
  dialog.setWindowTitle(QStringLiteral("Drucker einstellen"));
  dialog.exec();
}
