#include "ui/ImportDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "points/reader.h"
#include "text/cp1252.h"
#include "text/format.h"
#include "ui/ui_common.h"

namespace {

constexpr int kPreviewLines = 12;
constexpr int kPreviewPoints = 8;

// The first lines of the file as text, tabs shown as arrows.
QString FirstLines(const std::string& head) {
  const QString text = QString::fromStdString(zelmaro::Cp1252ToUtf8(head));
  QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
  if (lines.size() > kPreviewLines) lines = lines.mid(0, kPreviewLines);
  return lines.join(QLatin1Char('\n')).replace(QLatin1Char('\t'), QChar(0x2192));
}

// The head up to its last whole line: a line cut off would read wrong.
std::string WholeLines(const std::string& head) {
  const size_t end = head.find_last_of("\r\n");
  return end == std::string::npos ? head : head.substr(0, end + 1);
}

}  // namespace

ImportDialog::ImportDialog(QWidget* parent, const QString& file_name, const std::string& head,
                           const zelmaro::DetectedLayout& detected,
                           const zelmaro::ImportLayout& proposal)
    : QDialog(parent), head_(WholeLines(head)) {
  setObjectName(QStringLiteral("ImportDialog"));
  setWindowTitle(QStringLiteral("Punktdatei importieren"));
  setFont(zelmaro::ui::TahomaFont());
  auto* layout = new QVBoxLayout(this);

  auto* file = new QLabel(QStringLiteral("Datei: ") + QFileInfo(file_name).fileName(), this);
  file->setToolTip(file_name);
  layout->addWidget(file);

  layout->addWidget(new QLabel(QStringLiteral("Die ersten Zeilen der Datei:"), this));
  auto* lines = new QPlainTextEdit(FirstLines(head), this);
  lines->setObjectName(QStringLiteral("ImportLines"));
  lines->setReadOnly(true);
  lines->setLineWrapMode(QPlainTextEdit::NoWrap);
  lines->setFont(zelmaro::ui::CourierFont());
  lines->setMinimumSize(520, 130);
  layout->addWidget(lines);

  QString found = QStringLiteral("Erkannt: Trennzeichen %1, Spalten %2")
                      .arg(QString::fromUtf8(zelmaro::SeparatorLabel(detected.layout.separator)),
                           QString::fromStdString(zelmaro::ColumnsText(detected.layout.columns)));
  if (detected.header) found += QStringLiteral(", Kopfzeile");
  found += detected.decimal_comma ? QStringLiteral(", Dezimalkomma") : QStringLiteral(", Dezimalpunkt");
  auto* detected_label = new QLabel(found, this);
  detected_label->setObjectName(QStringLiteral("ImportDetected"));
  layout->addWidget(detected_label);

  auto* form = new QFormLayout;
  separator_ = new QComboBox(this);
  separator_->setObjectName(QStringLiteral("ImportSeparator"));
  for (zelmaro::Separator s : kSeparators) {
    separator_->addItem(QString::fromUtf8(zelmaro::SeparatorLabel(s)));
    if (s == proposal.separator) separator_->setCurrentIndex(separator_->count() - 1);
  }
  form->addRow(QStringLiteral("&Trennzeichen:"), separator_);

  columns_ = new QComboBox(this);
  columns_->setObjectName(QStringLiteral("ImportColumns"));
  columns_->setEditable(true);
  for (const char* order : {"P,C,E,N,Z", "P,N,E,Z,C", "P,E,N,Z,C", "P,N,E,Z", "P,E,N,Z", "N,E,Z", "E,N,Z"})
    columns_->addItem(QString::fromLatin1(order));
  columns_->setEditText(QString::fromStdString(zelmaro::ColumnsText(proposal.columns)));
  columns_->setToolTip(
      QStringLiteral("P Punktnummer, C Code, E Rechtswert (Y), N Hochwert (X), Z Höhe, - übergehen.\n"
                     "Ohne P werden die Punkte der Reihe nach nummeriert, ohne C haben sie Code 0."));
  form->addRow(QStringLiteral("&Spalten:"), columns_);
  form->addRow(QStringLiteral("Dezimalzeichen:"),
               new QLabel(QStringLiteral("Punkt oder Komma (beides wird gelesen; Komma als "
                                         "Trennzeichen nur bei Dezimalpunkt)"),
                          this));
  layout->addLayout(form);

  layout->addWidget(new QLabel(QStringLiteral("So werden die ersten Punkte gelesen:"), this));
  points_ = new QTableWidget(0, 5, this);
  points_->setObjectName(QStringLiteral("ImportPoints"));
  points_->setHorizontalHeaderLabels({QStringLiteral("Nr"), QStringLiteral("Code"),
                                      QStringLiteral("Y"), QStringLiteral("X"), QStringLiteral("Z")});
  points_->verticalHeader()->hide();
  points_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  points_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  points_->setMinimumHeight(190);
  layout->addWidget(points_);

  note_ = new QLabel(this);
  note_->setObjectName(QStringLiteral("ImportNote"));
  note_->setWordWrap(true);
  layout->addWidget(note_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  ok_->setText(QStringLiteral("Einlesen"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  connect(separator_, &QComboBox::currentIndexChanged, this, [this] { Preview(); });
  connect(columns_, &QComboBox::editTextChanged, this, [this] { Preview(); });
  Preview();
}

zelmaro::ImportLayout ImportDialog::Layout() const {
  zelmaro::ImportLayout layout;
  layout.separator = kSeparators[std::max(0, separator_->currentIndex())];
  std::string reason;
  zelmaro::ParseColumns(columns_->currentText().toStdString(), layout.columns, reason);
  return layout;
}

void ImportDialog::Preview() {
  zelmaro::ImportLayout layout;
  layout.separator = kSeparators[std::max(0, separator_->currentIndex())];
  std::string reason;
  points_->setRowCount(0);
  if (!zelmaro::ParseColumns(columns_->currentText().toStdString(), layout.columns, reason)) {
    note_->setText(QStringLiteral("<span style='color:#c00000'>Spalten: %1</span>")
                       .arg(QString::fromStdString(reason).toHtmlEscaped()));
    ok_->setEnabled(false);
    return;
  }
  zelmaro::PointTable P;
  zelmaro::ReadReport report;
  zelmaro::ParsePointFile(head_, layout, P, &report);
  const int shown = std::min<int>(kPreviewPoints, zelmaro::High(P));
  points_->setRowCount(std::max(0, shown));
  for (int i = 1; i <= shown; ++i) {
    const zelmaro::TPunkt& p = P[static_cast<size_t>(i)];
    const QString cells[] = {QString::number(p.NR), QString::number(p.Code),
                             QString::fromStdString(zelmaro::Format("%.3f", p.Y)),
                             QString::fromStdString(zelmaro::Format("%.3f", p.X)),
                             QString::fromStdString(zelmaro::Format("%.3f", p.Z))};
    for (int c = 0; c < 5; ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      points_->setItem(i - 1, c, item);
    }
  }
  if (report.NotAPointFile() || zelmaro::High(P) < 1) {
    note_->setText(QStringLiteral("<span style='color:#c00000'>In den ersten Zeilen ergibt keine "
                                  "Zeile einen Punkt.</span>"));
    ok_->setEnabled(false);
    return;
  }
  // The layout itself is no news here; what was passed over is.
  report.layout = zelmaro::PointFileLayout();
  const QString note = QString::fromStdString(report.Note());
  note_->setText(note.isEmpty() ? QString() : QStringLiteral("In den ersten Zeilen: ") + note);
  ok_->setEnabled(true);
}

QString ImportSettingsKey(const zelmaro::DetectedLayout& detected) {
  // Percent-encoded: a header line may hold "/" or "\", which settings
  // read as groups.
  return QStringLiteral("Import/") +
         QString::fromLatin1(QUrl::toPercentEncoding(
             QString::fromStdString(zelmaro::Cp1252ToUtf8(detected.signature))));
}

bool RememberedLayout(const zelmaro::DetectedLayout& detected, zelmaro::ImportLayout& layout) {
  const QString value = QSettings().value(ImportSettingsKey(detected)).toString();
  const qsizetype space = value.indexOf(QLatin1Char(' '));
  if (space < 0) return false;
  zelmaro::ImportLayout kept;
  std::string reason;
  if (!zelmaro::ParseSeparator(value.left(space).toStdString(), kept.separator) ||
      kept.separator == zelmaro::Separator::Auto ||
      !zelmaro::ParseColumns(value.mid(space + 1).toStdString(), kept.columns, reason))
    return false;
  layout = kept;
  return true;
}

void RememberLayout(const zelmaro::DetectedLayout& detected, const zelmaro::ImportLayout& layout) {
  QSettings().setValue(ImportSettingsKey(detected),
                       QString::fromLatin1(zelmaro::SeparatorName(layout.separator)) +
                           QLatin1Char(' ') +
                           QString::fromStdString(zelmaro::ColumnsText(layout.columns)));
}
