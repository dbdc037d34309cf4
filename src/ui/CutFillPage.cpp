#include "ui/CutFillPage.h"

#include <QHeaderView>
#include <QTableWidget>
#include <iterator>

#include "text/format.h"
#include "volume/number_field.h"
#include "ui/ui_common.h"

namespace zelmaro::ui {

namespace {

constexpr int kHorizonCount = static_cast<int>(std::size(kHorizonRows));
constexpr int kBetweenCount = static_cast<int>(std::size(kBetweenRows));
constexpr int kBetweenHeading = kHorizonCount;  // the row that names the second part

QTableWidgetItem* Cell(const QString& text, bool number) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return item;
}

QString Number(double v) { return QString::fromStdString(Format("%.2f", v)); }

}  // namespace

QTableWidget* CreateCutFillTable(QWidget* parent) {
  auto* table = new QTableWidget(kHorizonCount + 1 + kBetweenCount, 3, parent);
  table->setObjectName(QStringLiteral("CutFillTable"));
  table->setFont(TahomaFont());
  table->setHorizontalHeaderLabels(
      {QString(), QStringLiteral("Bezugshorizont"), QStringLiteral("Gelände")});
  table->verticalHeader()->hide();
  table->verticalHeader()->setMinimumSectionSize(12);
  table->verticalHeader()->setDefaultSectionSize(16);
  table->horizontalHeader()->setFixedHeight(18);
  table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Fixed);
  table->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Fixed);
  table->setColumnWidth(1, 110);
  table->setColumnWidth(2, 110);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionMode(QAbstractItemView::ContiguousSelection);
  for (int r = 0; r < kHorizonCount; ++r)
    table->setItem(r, 0, Cell(QString::fromUtf8(kHorizonRows[r].label), false));
  QTableWidgetItem* heading = Cell(QStringLiteral("Gelände gegen Bezugshorizont"), false);
  QFont bold = TahomaFont(true);
  heading->setFont(bold);
  table->setItem(kBetweenHeading, 0, heading);
  table->setSpan(kBetweenHeading, 0, 1, 3);
  for (int r = 0; r < kBetweenCount; ++r)
    table->setItem(kBetweenHeading + 1 + r, 0, Cell(QString::fromUtf8(kBetweenRows[r].label), false));
  FillCutFillTable(table, CutFill{});
  return table;
}

void FillCutFillTable(QTableWidget* table, const CutFill& c) {
  auto put = [&](int row, int column, double v) {
    table->setItem(row, column, Cell(c.valid ? Number(v) : QString(), true));
  };
  for (int r = 0; r < kHorizonCount; ++r) {
    put(r, 1, c.reference.*kHorizonRows[r].value);
    put(r, 2, c.terrain.*kHorizonRows[r].value);
  }
  for (int r = 0; r < kBetweenCount; ++r) put(kBetweenHeading + 1 + r, 1, c.between.*kBetweenRows[r].value);
}

QString CutFillCaption(const CutFill& c) {
  if (!c.valid) return QStringLiteral("Noch keine Berechnung");
  return QStringLiteral("Bezugshöhe %1 m").arg(QString::fromStdString(zelmaro::HeightText(c.H0)));
}

}  // namespace zelmaro::ui
