#include "ui/export_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>
#include <algorithm>

namespace zelmaro::ui {

namespace {

const QString kGroup = QStringLiteral("Export/");

const struct {
  PdfProtocol value;
  const char* key;
  const char* label;
} kProtocols[] = {
    {PdfProtocol::kSummary, "summary", "Zusammenfassung (Kopf- und Summenzeilen)"},
    {PdfProtocol::kFull, "full", "Vollständiges Protokoll"},
    {PdfProtocol::kNone, "none", "Kein Protokoll"},
};

}  // namespace

ExportOptions LoadExportOptions() {
  const QSettings s;
  ExportOptions o;
  ParsePdfProtocol(s.value(kGroup + "PdfProtokoll", "summary").toString().toStdString(),
                   o.pdf_protocol);
  o.dxf_layers.labels = s.value(kGroup + "DxfBeschriftung", true).toBool();
  o.dxf_layers.triangles = s.value(kGroup + "DxfDreiecke", true).toBool();
  o.dxf_layers.contours = s.value(kGroup + "DxfHoehenlinien", true).toBool();
  o.author = s.value(kGroup + "Verfasser").toString().toStdString();
  o.client = s.value(kGroup + "Auftraggeber").toString().toStdString();
  ParseEpsg(s.value(kGroup + "Epsg").toString().toStdString(), o.epsg);
  return o;
}

void SaveExportOptions(const ExportOptions& o) {
  QSettings s;
  for (const auto& p : kProtocols)
    if (p.value == o.pdf_protocol) s.setValue(kGroup + "PdfProtokoll", QString::fromLatin1(p.key));
  s.setValue(kGroup + "DxfBeschriftung", o.dxf_layers.labels);
  s.setValue(kGroup + "DxfDreiecke", o.dxf_layers.triangles);
  s.setValue(kGroup + "DxfHoehenlinien", o.dxf_layers.contours);
  s.setValue(kGroup + "Verfasser", QString::fromStdString(o.author));
  s.setValue(kGroup + "Auftraggeber", QString::fromStdString(o.client));
  s.setValue(kGroup + "Epsg", o.epsg > 0 ? QString::number(o.epsg) : QString());
}

ExportOptionsDialog::ExportOptionsDialog(QWidget* parent, const QString& format,
                                         const ExportOptions& options)
    : QDialog(parent), start_(options) {
  setWindowTitle(QStringLiteral("Exportoptionen"));
  auto* form = new QFormLayout;
  if (format == QLatin1String("pdf")) {
    protocol = new QComboBox(this);
    for (const auto& p : kProtocols) {
      protocol->addItem(QString::fromUtf8(p.label));
      if (p.value == options.pdf_protocol) protocol->setCurrentIndex(protocol->count() - 1);
    }
    form->addRow(QStringLiteral("Protokoll im Bericht:"), protocol);
  }
  if (format == QLatin1String("dxf")) {
    labels = new QCheckBox(QStringLiteral("Punktnummern und -höhen"), this);
    triangles = new QCheckBox(QStringLiteral("Dreiecke"), this);
    contours = new QCheckBox(QStringLiteral("Höhenlinien"), this);
    labels->setChecked(options.dxf_layers.labels);
    triangles->setChecked(options.dxf_layers.triangles);
    contours->setChecked(options.dxf_layers.contours);
    form->addRow(QStringLiteral("Zeichnung enthält:"), labels);
    form->addRow(QString(), triangles);
    form->addRow(QString(), contours);
  }
  if (format == QLatin1String("pdf")) {
    author = new QLineEdit(QString::fromStdString(options.author), this);
    client = new QLineEdit(QString::fromStdString(options.client), this);
    form->addRow(QStringLiteral("Verfasser / Firma:"), author);
    form->addRow(QStringLiteral("Auftraggeber:"), client);
  }
  if (format != QLatin1String("dxf")) {
    epsg = new QLineEdit(options.epsg > 0 ? QString::number(options.epsg) : QString(), this);
    epsg->setPlaceholderText(QStringLiteral("z. B. 25832"));
    form->addRow(QStringLiteral("Koordinatensystem EPSG:"), epsg);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Exportieren"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

bool ExportOptionsDialog::Options(ExportOptions& out, QString& why) const {
  ExportOptions o = start_;
  if (protocol) o.pdf_protocol = kProtocols[std::max(protocol->currentIndex(), 0)].value;
  if (labels) o.dxf_layers = {labels->isChecked(), triangles->isChecked(), contours->isChecked()};
  if (author) o.author = author->text().trimmed().toStdString();
  if (client) o.client = client->text().trimmed().toStdString();
  if (epsg) {
    const QString text = epsg->text().trimmed();
    o.epsg = 0;
    if (!text.isEmpty() && !ParseEpsg(text.toStdString(), o.epsg)) {
      why = QStringLiteral("„%1“ ist kein EPSG-Code (eine positive Zahl, z. B. 25832).").arg(text);
      return false;
    }
  }
  out = o;
  return true;
}

void ExportOptionsDialog::accept() {
  ExportOptions o;
  QString why;
  if (!Options(o, why)) {
    QMessageBox::warning(this, QStringLiteral("Zelmaro"), why);
    return;
  }
  QDialog::accept();
}

}  // namespace zelmaro::ui
