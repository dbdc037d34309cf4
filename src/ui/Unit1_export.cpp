// The export command of the main window: the last run as LandXML, DXF or
// PDF report.
#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

#include "export/dxf.h"
#include "export/export_facts.h"
#include "export/export_input.h"
#include "export/landxml.h"
#include "export/pdf_report.h"
#include "plot/plot.h"
#include "ui/export_options_dialog.h"
#include "ui/Unit1.h"

namespace {

struct Format {
  const char* id;
  const char* filter;
  const char* suffix;
};

const Format kFormats[] = {
    {"xml", "LandXML 1.2 (*.xml)", "xml"},
    {"dxf", "DXF-Zeichnung (*.dxf)", "dxf"},
    {"pdf", "PDF-Bericht (*.pdf)", "pdf"},
};

// Shows the wait cursor while a long export runs.
struct WaitCursor {
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

void TForm1::ToolButtonExportClick() {
  // Without a finished run there is nothing of this program's to hand on;
  // the meshes may also be gone since (program end releases them).
  if (!last_run_ || !ws.Mesh0 || !ws.Mesh1) {
    ShowInformation(QStringLiteral(
        "Es liegt noch keine Berechnung vor, die exportiert werden kann. Bitte zuerst mit "
        "„Massen berechnen“ rechnen."));
    return;
  }
  ExportTarget target = ChooseExportFile();
  if (target.file.isEmpty()) return;
  // A name typed with one of our extensions means that format, whatever
  // filter the dialog stood on: "halde.dxf" holds a drawing. Any other
  // extension names none of them, so the format is asked for.
  const QString suffix = QFileInfo(target.file).suffix().toLower();
  bool known = false;
  for (const Format& f : kFormats) {
    if (suffix == QLatin1String(f.suffix)) {
      target.format = QString::fromLatin1(f.id);
      known = true;
    }
  }
  if (!known) {
    target.format = AskExportFormat(target.file);
    if (target.format.isEmpty()) return;
  }
  const std::string file = QFile::encodeName(target.file).toStdString();
  zelmaro::ExportOptions options = zelmaro::ui::LoadExportOptions();
  if (!ChooseExportOptions(target.format, options)) return;
  zelmaro::ui::SaveExportOptions(options);

  WaitCursor wait;
  // The contour lines of the plot: the page's interval, read as the plot
  // reads it, and taken from the plot's cache, which thus knows what the
  // meshes hold afterwards.
  const double interval = zelmaro::ContourInterval(EditHLIntervall->text().toStdString());
  zelmaro::ExportInput in = zelmaro::MakeExportInput(ws, *last_run_, interval,
                                                      zelmaro::LocalTimeNow(), &contour_cache_);
  in.options = options;
  if (target.format == QLatin1String("xml"))
    zelmaro::WriteLandXml(in, file);
  else if (target.format == QLatin1String("dxf"))
    zelmaro::WriteDxf(in, file);
  else
    zelmaro::WritePdfReport(in, file);
  // The file holds one point where the survey has several at one place;
  // the terrain takes the points of both horizons.
  const int64_t merged = zelmaro::MergedPoints(in, in.terrain);
  StatusBar1->showMessage(
      merged > 0 ? QStringLiteral("Exportiert: %1 (als Duplikat zusammengelegt: %2 Punkte)")
                       .arg(target.file)
                       .arg(merged)
                 : QStringLiteral("Exportiert: %1").arg(target.file));
}

TForm1::ExportTarget TForm1::ChooseExportFile() {
  QFileDialog dialog(this, QStringLiteral("Exportieren"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  QStringList filters;
  for (const Format& f : kFormats) filters << QString::fromUtf8(f.filter);
  dialog.setNameFilters(filters);
  // Beside the point file and named after it, like its protocol.
  const QFileInfo points(QString::fromStdString(last_run_ ? last_run_->point_file : ""));
  if (!points.filePath().isEmpty()) {
    if (points.dir().exists()) dialog.setDirectory(points.dir());
    dialog.selectFile(points.completeBaseName());
  }
  dialog.setDefaultSuffix(QString::fromLatin1(kFormats[0].suffix));
  connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
    for (const Format& f : kFormats)
      if (filter == QString::fromUtf8(f.filter)) dialog.setDefaultSuffix(QString::fromLatin1(f.suffix));
  });
  if (dialog.exec() != QDialog::Accepted) return {};
  ExportTarget target;
  target.file = dialog.selectedFiles().value(0);
  const QString filter = dialog.selectedNameFilter();
  for (const Format& f : kFormats)
    if (filter == QString::fromUtf8(f.filter)) target.format = QString::fromLatin1(f.id);
  if (target.format.isEmpty()) target.format = QStringLiteral("xml");
  return target;
}

bool TForm1::ChooseExportOptions(const QString& format, zelmaro::ExportOptions& options) {
  zelmaro::ui::ExportOptionsDialog dialog(this, format, options);
  if (dialog.exec() != QDialog::Accepted) return false;
  QString why;
  return dialog.Options(options, why);
}

QString TForm1::AskExportFormat(const QString& file) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Exportieren"),
                  QStringLiteral("In welchem Format soll '%1' geschrieben werden?")
                      .arg(QFileInfo(file).fileName()),
                  QMessageBox::NoButton, this);
  QList<QPair<QAbstractButton*, QString>> buttons;
  for (const Format& f : kFormats)
    buttons.append({box.addButton(QString::fromUtf8(f.filter), QMessageBox::AcceptRole),
                    QString::fromLatin1(f.id)});
  box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
  box.exec();
  for (const auto& [button, id] : buttons)
    if (box.clickedButton() == button) return id;
  return QString();
}

void TForm1::ShowInformation(const QString& text) {
  QMessageBox::information(this, QStringLiteral("Zelmaro"), text, QMessageBox::Ok);
}
