// The page "Punktliste": filling the grid, checking a cell when it is left,
// saving the points, and the question before unsaved edits would be lost.
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHash>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTableWidget>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "points/grid.h"
#include "points/writer.h"
#include "text/convert.h"
#include "text/errors.h"
#include "ui/Unit1.h"
#include "ui/ui_common.h"

namespace zelmaro::ui {

QTableWidgetItem* FixedCell(const QTableWidget* grid, const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled);
  item->setBackground(grid->palette().button());
  return item;
}

}  // namespace zelmaro::ui

void TForm1::ConnectGridChecks() {
  connect(StringGridPkte, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (filling_grid_ || item->column() < 1) return;
    grid_edited_ = true;
    CheckGridCell(item);
  });
}

void TForm1::CheckGridCell(QTableWidgetItem* item) {
  // The save reads each cell as it does (blanks around allowed); a bad cell
  // is marked now, where the user still sees it, and named by the save.
  const int column = item->column();
  const std::string text(zelmaro::Trim(item->text().toStdString()));
  bool ok = false;
  QString kind;
  QSignalBlocker quiet(StringGridPkte);
  if (column == 1 || column == 5) {
    int32_t v = 0;
    ok = zelmaro::TryStrToInt(text, v);
    kind = QStringLiteral("Integerwert");
  } else {
    double v = 0;
    ok = zelmaro::TryFieldToFloat(text, v) && std::isfinite(v);
    kind = QStringLiteral("Gleitkommawert");
    // A decimal comma, as German users type it, shown as the file will have it.
    if (ok && text.find(',') != std::string::npos)
      item->setText(item->text().replace(QLatin1Char(','), QLatin1Char('.')));
  }
  if (ok) {
    item->setData(Qt::BackgroundRole, QVariant());
    item->setToolTip(QString());
  } else {
    item->setBackground(QColor(255, 190, 190));
    item->setToolTip(QStringLiteral("'%1' ist kein gültiger %2")
                         .arg(QString::fromStdString(text), kind));
  }
}

bool TForm1::ConfirmEditsSaved() {
  // Text still in an open editor is an edit as well.
  if (!grid_awaits_points_) FinishGridEdit(true);
  if (!grid_edited_) return true;
  switch (AskSaveEdits()) {
    case EditsAnswer::Save:
      return SavePoints();
    case EditsAnswer::Discard:
      grid_edited_ = false;
      return true;
    case EditsAnswer::Cancel:
      break;
  }
  return false;
}

TForm1::EditsAnswer TForm1::AskSaveEdits() {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Zelmaro"),
                  QStringLiteral("Änderungen an den Punkten speichern?"),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
  box.button(QMessageBox::Yes)->setText(QStringLiteral("Ja"));
  box.button(QMessageBox::No)->setText(QStringLiteral("Nein"));
  box.button(QMessageBox::Cancel)->setText(QStringLiteral("Abbrechen"));
  box.setDefaultButton(QMessageBox::Yes);
  switch (box.exec()) {
    case QMessageBox::Yes: return EditsAnswer::Save;
    case QMessageBox::No: return EditsAnswer::Discard;
    default: return EditsAnswer::Cancel;
  }
}

void TForm1::FinishGridEdit(bool take_text) {
  QWidget* editor = StringGridPkte->indexWidget(StringGridPkte->currentIndex());
  if (!editor) return;
  if (take_text) {
    QMetaObject::invokeMethod(StringGridPkte, "commitData", Qt::DirectConnection,
                              Q_ARG(QWidget*, editor));
  } else {
    QMetaObject::invokeMethod(StringGridPkte, "closeEditor", Qt::DirectConnection,
                              Q_ARG(QWidget*, editor),
                              Q_ARG(QAbstractItemDelegate::EndEditHint, QAbstractItemDelegate::NoHint));
  }
}

void TForm1::fillGrid() {
  grid_awaits_points_ = false;
  // What the table holds is no edit, and a refill drops the edits made.
  grid_edited_ = false;
  filling_grid_ = true;
  const std::unique_ptr<bool, void (*)(bool*)> filled(&filling_grid_, [](bool* f) { *f = false; });
  QTableWidget* grid = StringGridPkte;
  const zelmaro::PointTable& P = ws.P;
  const int row = grid->currentRow();
  const int column = grid->currentColumn();
  // Unsaved edits go, an open editor with them: committed later it would
  // write its old text over the new cell.
  FinishGridEdit(false);
  grid->setUpdatesEnabled(false);
  // Shown again however the filling ends (a table too large for the memory).
  const std::unique_ptr<QTableWidget, void (*)(QTableWidget*)> show_again(
      grid, [](QTableWidget* g) { g->setUpdatesEnabled(true); });
  QStringList header;
  for (const std::string& text : zelmaro::GridHeader()) header << QString::fromStdString(text);
  grid->setHorizontalHeaderLabels(header);
  grid->clearContents();
  grid->setRowCount(std::max(0, zelmaro::High(P)));

  // Measuring every text is most of the time a large table takes. In a
  // font of fixed pitch a text's width follows from its length, so one text
  // of each length is measured.
  const QFontMetrics metrics(grid->font());
  const bool fixed_pitch = QFontInfo(grid->font()).fixedPitch();
  std::array<int, 6> widest{};
  std::array<QHash<qsizetype, QString>, 6> by_length;
  auto measure = [&](int j, const QString& text) {
    if (!fixed_pitch)
      widest[j] = std::max(widest[j], metrics.horizontalAdvance(text));
    else if (!by_length[j].contains(text.size()))
      by_length[j].insert(text.size(), text);
  };
  for (int j = 0; j < 6; ++j) measure(j, header[j]);
  BusyScope busy(*this);
  constexpr int kRowsPerReport = 25000;
  const int rows = zelmaro::High(P);
  for (int i = 1; i <= rows; ++i) {
    if (i % kRowsPerReport == 0)
      busy.Say(QStringLiteral("Punktliste wird gefüllt … %1 %").arg(100LL * i / rows));
    const zelmaro::GridRow cells = zelmaro::GridCells(P, i);
    for (int j = 0; j < 6; ++j) {
      const QString text = QString::fromStdString(cells[static_cast<size_t>(j)]);
      measure(j, text);
      grid->setItem(i - 1, j, j == 0 ? zelmaro::ui::FixedCell(grid, text) : new QTableWidgetItem(text));
    }
  }
  for (int j = 0; j < 6; ++j)
    for (const QString& text : std::as_const(by_length[j]))
      widest[j] = std::max(widest[j], metrics.horizontalAdvance(text));
  // A cell draws its text inside a margin on either side and gives a pixel
  // to the grid line; a column as wide as the bare text cuts it.
  const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
  const int padding = 2 * margin + (grid->showGrid() ? 1 : 0);
  for (int j = 0; j < 6; ++j) widest[j] += padding;
  for (int j = 0; j < 6; ++j)
    grid->setColumnWidth(j, zelmaro::GridColumnWidth(grid->columnWidth(j), widest[j]));
  if (grid->rowCount() > 0)
    grid->setCurrentCell(std::clamp(row, 0, grid->rowCount() - 1), column < 0 ? 1 : column);
}

void TForm1::UpdatePunkte() {
  // Not filled since the file was chosen: the points are those read.
  if (grid_awaits_points_) return;
  FinishGridEdit(true);
  const QTableWidget* grid = StringGridPkte;
  zelmaro::GridRows rows(static_cast<size_t>(grid->rowCount()));
  for (int r = 0; r < grid->rowCount(); ++r) {
    for (int j = 1; j < 6; ++j) {
      if (const QTableWidgetItem* item = grid->item(r, j))
        rows[static_cast<size_t>(r)][static_cast<size_t>(j)] = item->text().toStdString();
    }
  }
  zelmaro::UpdatePunkte(rows, ws.P);
}

void TForm1::Punkte1Click() {
  QTableWidget* grid = StringGridPkte;
  const int r = grid->currentRow();
  if (r < 0) return;
  const int column = grid->currentColumn();
  grid->removeRow(r);
  grid_edited_ = true;
  if (grid->rowCount() > 0) grid->setCurrentCell(std::min(r, grid->rowCount() - 1), column);
}

void TForm1::Sichern1Click() {
  QTableWidget* grid = StringGridPkte;
  FinishGridEdit(true);
  // Without a current row (a grid of the header alone) the row is added at
  // the end, so that points can be entered into an empty list too.
  const int r = grid->currentRow() < 0 ? grid->rowCount() : grid->currentRow();
  const int column = grid->currentColumn() < 0 ? 1 : grid->currentColumn();
  grid->insertRow(r);
  grid_edited_ = true;
  grid->setItem(r, 0, zelmaro::ui::FixedCell(grid));
  grid->setCurrentCell(r, column);
}

bool TForm1::SavePoints() {
  const QString name = ChooseSaveFile();
  if (name.isEmpty()) return false;
  UpdatePunkte();
  try {
    zelmaro::WritePointFile(QFile::encodeName(name).toStdString(), ws.P);
  } catch (zelmaro::EInOutError& e) {
    // The report names the file the user chose, not a temporary beside it.
    e.SetFileName(QFile::encodeName(name).toStdString());
    throw;
  }
  grid_edited_ = false;
  EditPunktDat->setText(name);
  return true;
}

void TForm1::Punktespeichern1Click() {
  if (!SavePoints()) return;
  // The results shown belong to the points before the edits: the saved file
  // is computed, as a chosen one is.
  ToolButton1Click();
}

void TForm1::ToolButton9Click() { Punktespeichern1Click(); }

