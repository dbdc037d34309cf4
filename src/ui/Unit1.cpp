#include "ui/Unit1.h"

#include <QAction>
#include <QCloseEvent>
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHash>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QSettings>
#include <QStringList>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <array>
#include <clocale>
#include <cmath>

#include "plot/plot.h"
#include "points/grid.h"
#include "points/point_table.h"
#include "points/writer.h"
#include "text/version.h"
#include "ui/CutFillPage.h"
#include "ui/NumberBox.h"
#include "ui/PlotCanvas.h"
#include "ui/Unit2.h"
#include "ui/icons.h"
#include "ui/ui_common.h"
#include "text/atomic_file.h"
#include "text/convert.h"
#include "text/errors.h"
#include "text/format.h"
#include "volume/balance.h"
#include "volume/run.h"

using zelmaro::ui::IconId;
using zelmaro::ui::MakeIcon;
using zelmaro::ui::TahomaFont;

namespace {

// The one setting the program remembers between runs.
const QString kCompleteOutlineKey = QStringLiteral("Vermaschung/RanddreieckeErgaenzen");

constexpr int kEditHeight = 21;

QLineEdit* MakeEdit(QWidget* parent, const char* name, int left, int top, int width,
                    const QString& hint = QString()) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setGeometry(left, top, width, kEditHeight);
  edit->setFont(TahomaFont(true));
  if (!hint.isEmpty()) edit->setToolTip(hint);
  return edit;
}

// A read-only result field: its numbers stand right-aligned.
QLineEdit* MakeResultEdit(QWidget* parent, const char* name, int left, int top,
                          const QString& hint) {
  QLineEdit* edit = MakeEdit(parent, name, left, top, 100, hint);
  edit->setReadOnly(true);
  edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return edit;
}

QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setFont(TahomaFont());
  label->adjustSize();
  label->move(left, top);
  return label;
}

QGroupBox* MakeGroup(QWidget* parent, const char* name, int left, int top, int width, int height,
                     const QString& caption) {
  auto* box = new QGroupBox(caption, parent);
  box->setObjectName(QString::fromLatin1(name));
  // The caption sits on the frame line, so that the fixed positions inside
  // the box leave room for it as designed.
  box->setStyleSheet(QStringLiteral(
      "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
      "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
      " left: 7px; padding: 0px 2px; background-color: palette(window); }"));
  box->setFont(TahomaFont());
  box->setGeometry(left, top, width, height);
  return box;
}

// The grid's cell editor is always open on the current cell, so a right
// click there reaches the editor: it offers the grid's menu, not the line
// editor's own.
class GridCellDelegate : public QStyledItemDelegate {
 public:
  GridCellDelegate(QObject* parent, QMenu* menu) : QStyledItemDelegate(parent), menu_(menu) {}
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (editor) {
      editor->setContextMenuPolicy(Qt::CustomContextMenu);
      QMenu* menu = menu_;
      QObject::connect(editor, &QWidget::customContextMenuRequested, editor,
                       [editor, menu](const QPoint& pos) { menu->popup(editor->mapToGlobal(pos)); });
    }
    return editor;
  }

 private:
  QMenu* menu_;
};

QWidget* MakeTabSheet(const char* name) {
  auto* page = new QWidget;
  page->setObjectName(QString::fromLatin1(name));
  return page;
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Massenberechnung"));
  setFont(TahomaFont());

  CreateToolBar();
  CreateMenuBar();
  setAcceptDrops(true);

  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  PageControl1->setFont(TahomaFont());
  TabSheet1 = MakeTabSheet("TabSheet1");
  TabSheet2 = MakeTabSheet("TabSheet2");
  TabSheet3 = MakeTabSheet("TabSheet3");
  TabSheet4 = MakeTabSheet("TabSheet4");
  PageControl1->addTab(TabSheet1, QStringLiteral("Eingabedaten"));
  PageControl1->addTab(TabSheet2, QStringLiteral("Punktliste"));
  PageControl1->addTab(TabSheet3, QStringLiteral("Punktgrafik"));
  PageControl1->addTab(TabSheet4, QStringLiteral("Protokoll"));
  TabSheet5 = MakeTabSheet("TabSheet5");
  PageControl1->addTab(TabSheet5, QStringLiteral("Auf- und Abtrag"));
  setCentralWidget(PageControl1);
  CreateInputPage();
  CreateListPage();
  CreatePlotPage();
  CreateProtocolPage();
  CreateCutFillPage();

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setFixedHeight(19);
  setStatusBar(StatusBar1);

  // A page change by the program (FormActivate) must not run the page steps.
  connect(PageControl1, &QTabWidget::currentChanged, this, [this] {
    if (!program_page_change_) RunCommand([this] { PageControl1Change(); });
  });
  connect(qApp, &QGuiApplication::focusWindowChanged, this, &TForm1::WindowFocusChanged);

  // The view fit needs the image's height whichever page is shown.
  ws.image_height = [this] { return qMax(0, PageSize().height() - 32); };
  ws.mesh_source = &mesh_cache_;
  contour_cache_.on_compute = [this](const std::string& what) { Progress(what); };

  // The designed 538 x 343 for the pages; the menu bar comes on top of it,
  // and the window is as wide as the tool bar, so that no button of it
  // stands hidden behind the overflow at the first size.
  resize(std::max(538, ToolBar1->sizeHint().width()), 343 + MenuBar1->sizeHint().height());
  // The designed layout is the least the pages need; larger is the user's choice.
  setMinimumSize(size());
}

TForm1::~TForm1() {
  // The child widgets are destroyed by the base class, after this class is
  // gone; what they signal on their way (a field that changes its text) must
  // not reach a handler of this class any more.
  NumberBoxH0->OnChangeValue = nullptr;
  for (QObject* child : findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
}

QSize TForm1::PageSize() const {
  // Only the shown page follows the page control's size at once; the others
  // take it when they are shown. All pages have the same size.
  return PageControl1->currentWidget()->size();
}

QPrinter& TForm1::Printer() {
  // At the printer's own resolution: the plot is drawn in 0.1 mm units.
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

// ---------------------------------------------------------------------------
// Layout

void TForm1::CreateToolBar() {
  ToolBar1 = new QToolBar(this);
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setMovable(false);
  ToolBar1->setFloatable(false);
  ToolBar1->setIconSize(QSize(16, 16));
  ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
  ToolBar1->setFixedHeight(29);
  ToolBar1->layout()->setContentsMargins(0, 0, 0, 0);
  ToolBar1->layout()->setSpacing(0);
  addToolBar(Qt::TopToolBarArea, ToolBar1);
  // The style draws a pressed toggle hardly darker than a released one.
  ToolBar1->setStyleSheet(QStringLiteral(
      "QToolButton:checked { background-color: #a9c4e8; border: 1px solid #3a6ea5;"
      " border-radius: 2px; }"));

  // Each button shows a command that the menu bar shares: clicking the one
  // or choosing the other triggers the same action, and both show its state.
  auto button = [this](const char* name, IconId icon, const QString& hint, bool toggle) {
    auto* action = new QAction(MakeIcon(icon), hint, this);
    action->setObjectName(QStringLiteral("Action") + QString::fromLatin1(name));
    action->setToolTip(hint);
    action->setCheckable(toggle);
    auto* b = new QToolButton(ToolBar1);
    b->setObjectName(QString::fromLatin1(name));
    b->setDefaultAction(action);
    b->setAutoRaise(false);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedSize(30, 29);
    ToolBar1->addWidget(b);
    b->setAutoRaise(false);  // the tool bar makes its buttons flat; ours are raised
    return b;
  };
  auto separator = [this](const char* name) {
    auto* s = new QWidget(ToolBar1);
    s->setObjectName(QString::fromLatin1(name));
    s->setFixedSize(8, 29);
    ToolBar1->addWidget(s);
    return s;
  };
  // Pressing a toggle of a group releases the other; the one that is down can
  // be released too, so all may be up.
  auto group = [](QToolButton* button_a, QToolButton* button_b) {
    QAction* a = button_a->defaultAction();
    QAction* b = button_b->defaultAction();
    QObject::connect(a, &QAction::toggled, b, [b](bool down) { if (down) b->setChecked(false); });
    QObject::connect(b, &QAction::toggled, a, [a](bool down) { if (down) a->setChecked(false); });
  };
  auto on_click = [this](QToolButton* b, void (TForm1::*handler)()) {
    connect(b->defaultAction(), &QAction::triggered, this,
            [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
  };

  ToolButton1 = button("ToolButton1", IconId::Compute, QStringLiteral("Massen berechnen"), false);
  ToolButton6 = separator("ToolButton6");
  ToolButtonPan = button("ToolButtonPan", IconId::Pan, QStringLiteral("Bild Verschieben"), true);
  ToolButtonZoom = button("ToolButtonZoom", IconId::Zoom, QStringLiteral("Bild zoomenm"), true);
  ToolButton3 = separator("ToolButton3");
  ToolButtonPNR = button("ToolButtonPNR", IconId::Numbers, QStringLiteral("Punktnummern ein/aus"), true);
  ToolButtonZ = button("ToolButtonZ", IconId::Heights, QStringLiteral("Höhen anzeigen"), true);
  ToolButton7 = separator("ToolButton7");
  ToolButtonMesh0 = button("ToolButtonMesh0", IconId::Mesh0, QStringLiteral("Vermaschung Bezugshorizont"), true);
  ToolButtonMesh1 = button("ToolButtonMesh1", IconId::Mesh1, QStringLiteral("Vermaschung Gelände"), true);
  ToolButtonIsoline = button("ToolButtonIsoline", IconId::Isolines, QStringLiteral("Höhenlinien"), true);
  ToolButtonRand = button("ToolButtonRand", IconId::Outline, QStringLiteral("Randdreiecke ergänzen"), true);
  ws.complete_outline = QSettings().value(kCompleteOutlineKey, false).toBool();
  ToolButtonRand->defaultAction()->setChecked(ws.complete_outline);
  ToolButtonZeroLines = button("ToolButtonZeroLines", IconId::ZeroLines, QStringLiteral("Nulllinien anzeigen"), true);
  ToolButton11 = separator("ToolButton11");
  ToolButton12 = button("ToolButton12", IconId::OutputArea, QStringLiteral("Ausgabebereich anzeigen"), true);
  ToolButton2 = button("ToolButton2", IconId::PrinterSetup, QStringLiteral("Drucker einstellen"), false);
  ToolButtonDruck = button("ToolButtonDruck", IconId::Print, QStringLiteral("Bild Drucken"), false);
  ToolButton8 = separator("ToolButton8");
  ToolButton9 = button("ToolButton9", IconId::Save, QStringLiteral("Punktdaten speichern"), false);
  ToolButton10 = separator("ToolButton10");
  ToolButton4 = button("ToolButton4", IconId::Info, QStringLiteral("Programminfo"), false);
  ToolButton5 = button("ToolButton5", IconId::Exit, QStringLiteral("Programmende"), false);
  ToolButtonExport = button("ToolButtonExport", IconId::Export,
                            QStringLiteral("Exportieren …"), false);

  group(ToolButtonPan, ToolButtonZoom);
  group(ToolButtonPNR, ToolButtonZ);

  on_click(ToolButton1, &TForm1::ToolButton1Click);
  on_click(ToolButtonPNR, &TForm1::ToolButtonPNRClick);
  on_click(ToolButtonZ, &TForm1::ToolButtonZClick);
  on_click(ToolButtonMesh0, &TForm1::ToolButtonMesh0Click);
  on_click(ToolButtonMesh1, &TForm1::ToolButtonMesh1Click);
  on_click(ToolButtonRand, &TForm1::ToolButtonRandClick);
  on_click(ToolButtonZeroLines, &TForm1::ToolButtonZeroLinesClick);
  on_click(ToolButtonIsoline, &TForm1::RedrawShownPlot);
  on_click(ToolButton12, &TForm1::RedrawShownPlot);
  on_click(ToolButton2, &TForm1::ToolButton2Click);
  on_click(ToolButtonDruck, &TForm1::ToolButtonDruckClick);
  on_click(ToolButton9, &TForm1::ToolButton9Click);
  on_click(ToolButton4, &TForm1::ToolButton4Click);
  on_click(ToolButton5, &TForm1::ToolButton5Click);
  on_click(ToolButtonExport, &TForm1::ToolButtonExportClick);
}

void TForm1::CreateInputPage() {
  QWidget* page = TabSheet1;
  page->setFont(TahomaFont());

  GroupBox1 = MakeGroup(page, "GroupBox1", 19, 14, 366, 51, QStringLiteral("Punktdatei"));
  EditPunktDat = MakeEdit(GroupBox1, "EditPunktDat", 3, 16, 326, QStringLiteral("Punktdatei mit Geländepunkten"));
  EditPunktDat->installEventFilter(this);
  BitBtn1 = new QPushButton(QStringLiteral("..."), GroupBox1);
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  BitBtn1->setFont(TahomaFont());
  BitBtn1->setGeometry(335, 15, 21, 21);
  BitBtn1->setToolTip(QStringLiteral("Punktdatei auswählen"));
  connect(BitBtn1, &QPushButton::clicked, this, [this] { RunCommand([this] { BitBtn1Click(); }); });

  GroupBox5 = MakeGroup(page, "GroupBox5", 391, 14, 98, 51, QStringLiteral("Bezugshöhe"));

  GroupBox2 = MakeGroup(page, "GroupBox2", 19, 71, 160, 120, QStringLiteral("Bezugshorizont"));
  Label1 = MakeLabel(GroupBox2, "Label1", 16, 16, QStringLiteral("Fläche m2"));
  EditA0 = MakeResultEdit(GroupBox2, "EditA0", 15, 35, QStringLiteral("Fläche des Bezugshoruzonts"));
  Label2 = MakeLabel(GroupBox2, "Label2", 15, 62, QStringLiteral("Masse m3"));
  EditM0 = MakeResultEdit(GroupBox2, "EditM0", 18, 81, QStringLiteral("Masse bezugshorizont"));
  SpeedButton1 = new QToolButton(GroupBox2);
  SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
  SpeedButton1->setGeometry(124, 81, 23, 21);

  GroupBox3 = MakeGroup(page, "GroupBox3", 185, 71, 160, 120, QStringLiteral("Gelände"));
  Label3 = MakeLabel(GroupBox3, "Label3", 16, 16, QStringLiteral("Fläche m2"));
  EditA1 = MakeResultEdit(GroupBox3, "EditA1", 16, 35, QStringLiteral("Fläche Gelände"));
  Label4 = MakeLabel(GroupBox3, "Label4", 16, 62, QStringLiteral("Masse m3"));
  EditM1 = MakeResultEdit(GroupBox3, "EditM1", 16, 81, QStringLiteral("Masse Geelände"));
  SpeedButton2 = new QToolButton(GroupBox3);
  SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
  SpeedButton2->setGeometry(122, 81, 23, 21);

  for (QToolButton* b : {SpeedButton1, SpeedButton2}) {
    b->setIcon(MakeIcon(IconId::Balance));
    b->setIconSize(QSize(17, 17));
    b->setToolTip(QStringLiteral("Massenausgleich"));
    b->setFocusPolicy(Qt::NoFocus);
  }
  connect(SpeedButton1, &QToolButton::clicked, this, [this] { RunCommand([this] { SpeedButton1Click(); }); });
  connect(SpeedButton2, &QToolButton::clicked, this, [this] { RunCommand([this] { SpeedButton2Click(); }); });

  GroupBox4 = MakeGroup(page, "GroupBox4", 351, 71, 138, 120, QStringLiteral("Differenz"));
  Label5 = MakeLabel(GroupBox4, "Label5", 16, 16, QStringLiteral("Fläche m2"));
  EditA2 = MakeResultEdit(GroupBox4, "EditA2", 16, 35, QStringLiteral("Differenzfläche "));
  Label6 = MakeLabel(GroupBox4, "Label6", 16, 62, QStringLiteral("Masse m3"));
  EditM2 = MakeResultEdit(GroupBox4, "EditM2", 16, 81, QStringLiteral("Differenzmasse"));

  GroupBox6 = MakeGroup(page, "GroupBox6", 19, 200, 470, 49, QStringLiteral("Projektbezeichnung"));
  EditBem = MakeEdit(GroupBox6, "EditBem", 16, 16, 441);

  // The field stands on the page, framed by GroupBox5 behind it.
  NumberBoxH0 = new TNumberBox(page);
  NumberBoxH0->setObjectName(QStringLiteral("NumberBoxH0"));
  NumberBoxH0->setGeometry(406, 29, 61, kEditHeight);
  NumberBoxH0->setFont(TahomaFont(true));
  NumberBoxH0->raise();
  NumberBoxH0->OnChangeValue = [this] {
    h0_changed_ = true;
    RunCommand([this] { NumberBoxH0ChangeValue(); });
  };
  connect(NumberBoxH0, &QLineEdit::textChanged, this, &TForm1::FitReferenceHeightField);
  FitReferenceHeightField();

  // As the page reads: the file and the height on the first row, the
  // results row by row, the project last.
  QWidget::setTabOrder(EditPunktDat, BitBtn1);
  QWidget::setTabOrder(BitBtn1, NumberBoxH0);
  QWidget::setTabOrder(NumberBoxH0, EditA0);
  QWidget::setTabOrder(EditA0, EditM0);
  QWidget::setTabOrder(EditM0, EditA1);
  QWidget::setTabOrder(EditA1, EditM1);
  QWidget::setTabOrder(EditM1, EditA2);
  QWidget::setTabOrder(EditA2, EditM2);
  QWidget::setTabOrder(EditM2, EditBem);
}

void TForm1::CreateListPage() {
  StringGridPkte = new QTableWidget(4, 6, TabSheet2);
  StringGridPkte->setObjectName(QStringLiteral("StringGridPkte"));
  StringGridPkte->setFont(zelmaro::ui::CourierFont());
  StringGridPkte->setHorizontalHeaderLabels(QStringList(6, QString()));
  StringGridPkte->horizontalHeader()->setDefaultSectionSize(50);
  StringGridPkte->horizontalHeader()->setMinimumSectionSize(5);
  StringGridPkte->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  StringGridPkte->horizontalHeader()->setHighlightSections(false);
  StringGridPkte->horizontalHeader()->setFixedHeight(20);
  StringGridPkte->verticalHeader()->setMinimumSectionSize(5);
  StringGridPkte->verticalHeader()->setDefaultSectionSize(20);
  StringGridPkte->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  StringGridPkte->verticalHeader()->hide();
  StringGridPkte->setShowGrid(true);
  StringGridPkte->setSelectionMode(QAbstractItemView::ContiguousSelection);
  StringGridPkte->setSelectionBehavior(QAbstractItemView::SelectItems);
  StringGridPkte->setEditTriggers(QAbstractItemView::AllEditTriggers);
  for (int row = 0; row < StringGridPkte->rowCount(); ++row)
    StringGridPkte->setItem(row, 0, zelmaro::ui::FixedCell(StringGridPkte));
  auto* layout = new QVBoxLayout(TabSheet2);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(StringGridPkte);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  Punkte1 = PopupMenu1->addAction(QStringLiteral("Punkt löschen"));
  Punkte1->setObjectName(QStringLiteral("Punkte1"));
  Sichern1 = PopupMenu1->addAction(QStringLiteral("Punkt einfügen"));
  Sichern1->setObjectName(QStringLiteral("Sichern1"));
  Punktespeichern1 = PopupMenu1->addAction(QStringLiteral("Punkte speichern"));
  Punktespeichern1->setObjectName(QStringLiteral("Punktespeichern1"));
  connect(Punkte1, &QAction::triggered, this, [this] { RunCommand([this] { Punkte1Click(); }); });
  connect(Sichern1, &QAction::triggered, this, [this] { RunCommand([this] { Sichern1Click(); }); });
  connect(Punktespeichern1, &QAction::triggered, this,
          [this] { RunCommand([this] { Punktespeichern1Click(); }); });
  StringGridPkte->setItemDelegate(new GridCellDelegate(StringGridPkte, PopupMenu1));
  StringGridPkte->setContextMenuPolicy(Qt::CustomContextMenu);
  ConnectGridChecks();
  connect(StringGridPkte, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    PopupMenu1->popup(StringGridPkte->viewport()->mapToGlobal(pos));
  });
}

void TForm1::CreatePlotPage() {
  QWidget* page = TabSheet3;
  page->setFont(TahomaFont());
  GroupBox7 = MakeGroup(page, "GroupBox7", 3, 0, 142, 33, QString());
  GroupBox7->setToolTip(QStringLiteral("Plotmaßstab"));
  Label7 = MakeLabel(GroupBox7, "Label7", 3, 13, QStringLiteral("Plotmaßstab 1 :"));
  EditMasstab = new QLineEdit(QStringLiteral("1000"), GroupBox7);
  EditMasstab->setObjectName(QStringLiteral("EditMasstab"));
  // The designed places, unless a label in the font in use is wider than the
  // room before its field: then the field, and what follows, moves right.
  constexpr int kLabelGap = 2;
  EditMasstab->setGeometry(std::max(84, Label7->geometry().right() + 1 + kLabelGap), 9, 53, kEditHeight);
  GroupBox7->resize(std::max(142, EditMasstab->geometry().right() + 1 + 5), 33);
  Label8 = MakeLabel(page, "Label8", std::max(158, GroupBox7->geometry().right() + 1 + 13), 13,
                     QStringLiteral("Höhenlinienintervall"));
  EditHLIntervall = new QLineEdit(QStringLiteral("0.1"), page);
  EditHLIntervall->setObjectName(QStringLiteral("EditHLIntervall"));
  EditHLIntervall->setGeometry(std::max(257, Label8->geometry().right() + 1 + kLabelGap), 9, 53,
                               kEditHeight);
  EditHLIntervall->installEventFilter(this);
  connect(EditHLIntervall, &QLineEdit::textChanged, this, [this] {
    std::string text;
    IntervalText(text);
  });
  // A new interval or scale shows at Enter, not only at the next zoom.
  for (QLineEdit* edit : {EditHLIntervall, EditMasstab})
    connect(edit, &QLineEdit::returnPressed, this, [this] { RunCommand([this] { RedrawShownPlot(); }); });

  Imagepp = new QLabel(page);
  Imagepp->setObjectName(QStringLiteral("Imagepp"));
  Imagepp->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Imagepp->setMouseTracking(true);
  Imagepp->installEventFilter(this);
  // The image follows the page: full width, from 32 pixels below its top.
  page->installEventFilter(this);
}

void TForm1::CreateProtocolPage() {
  Prot = new QPlainTextEdit(TabSheet4);
  Prot->setObjectName(QStringLiteral("Prot"));
  Prot->setFont(zelmaro::ui::CourierFont());
  Prot->setLineWrapMode(QPlainTextEdit::NoWrap);
  Prot->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Prot->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  auto* layout = new QVBoxLayout(TabSheet4);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Prot);
  TabSheet4->installEventFilter(this);
}

void TForm1::CreateCutFillPage() {
  TabSheet5->setFont(TahomaFont());
  LabelCutFillH0 = new QLabel(TabSheet5);
  LabelCutFillH0->setObjectName(QStringLiteral("LabelCutFillH0"));
  LabelCutFillH0->setFont(TahomaFont(true));
  CutFillTable = zelmaro::ui::CreateCutFillTable(TabSheet5);
  LabelCutFillNote = new QLabel(TabSheet5);
  LabelCutFillNote->setObjectName(QStringLiteral("LabelCutFillNote"));
  LabelCutFillNote->setFont(TahomaFont());
  LabelCutFillNote->setWordWrap(true);
  auto* layout = new QVBoxLayout(TabSheet5);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->setSpacing(4);
  layout->addWidget(LabelCutFillH0);
  layout->addWidget(CutFillTable, 1);
  layout->addWidget(LabelCutFillNote);
  SetCutFillNote(QString());
  ShowCutFill();
}

void TForm1::ShowCutFill() {
  LabelCutFillH0->setText(zelmaro::ui::CutFillCaption(ws.cutFill));
  zelmaro::ui::FillCutFillTable(CutFillTable, ws.cutFill);
}

void TForm1::SetCutFillNote(const QString& text) {
  LabelCutFillNote->setText(text);
  LabelCutFillNote->setHidden(text.isEmpty());
}

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

void TForm1::ClearResults() {
  for (QLineEdit* e : {EditA0, EditM0, EditA1, EditM1, EditA2, EditM2}) e->clear();
  Prot->clear();
  // Nor may the former file's protocol appear when the pane is shown.
  protocol_pending_ = false;
  pending_protocol_.reset();
  ws.Mesh0.reset();
  ws.Mesh1.reset();
  ws.sumA0 = ws.SumA1 = ws.m0 = ws.m1 = 0;
  ws.cutFill = zelmaro::CutFill{};
  ShowCutFill();
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

void TForm1::FitReferenceHeightField() {
  // The designed 61 pixels hold neither the placeholder nor a large height in
  // every font; the field, and its frame with it, widens to what it shows.
  // It may grow up to the page's right edge (538 wide, less its borders).
  constexpr int kDesignedWidth = 61, kFrameExtra = 98 - 61, kPageRight = 530;
  const int room = std::max(kDesignedWidth, kPageRight - GroupBox5->x() - kFrameExtra);
  const int width = std::clamp(std::max(NumberBoxH0->WidthFor(NumberBoxH0->text()),
                                        NumberBoxH0->WidthFor(NumberBoxH0->placeholderText())),
                               kDesignedWidth, room);
  if (width == NumberBoxH0->width()) return;
  NumberBoxH0->resize(width, NumberBoxH0->height());
  GroupBox5->resize(width + kFrameExtra, GroupBox5->height());
}

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

void TForm1::ShowOutlineLoss() {
  QStringList lines;
  for (const auto& [heading, result] : {std::pair{"Bezugshorizont", &ws.outline0},
                                        std::pair{"Gelände", &ws.outline1}}) {
    const std::string text = Delaunay::OutlineLossText(heading, result->coverage);
    if (!text.empty()) lines << QString::fromStdString(text);
  }
  const QString message = lines.join(QStringLiteral("; "));
  // Two horizons' lines are wider than the window: the tip shows them whole,
  // and so does the cut-and-fill page, whose figures they qualify.
  StatusBar1->setToolTip(lines.join(QLatin1Char('\n')));
  SetCutFillNote(lines.join(QLatin1Char('\n')));
  // A picked point's line stays unless it is replaced by a new loss line.
  if (!message.isEmpty())
    StatusBar1->showMessage(message);
  else if (!outline_message_.isEmpty() && StatusBar1->currentMessage() == outline_message_)
    StatusBar1->clearMessage();
  outline_message_ = message;
}

// ---------------------------------------------------------------------------
// Plot

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

void TForm1::RunPrinterSetup() {
  QPrintDialog dialog(&Printer(), this);
  dialog.setWindowTitle(QStringLiteral("Drucker einstellen"));
  dialog.exec();
}

// ---------------------------------------------------------------------------
// RunHost

std::string TForm1::PointFileName() { return EditPunktDat->text().toStdString(); }

std::string TForm1::ProjectDesignation() { return EditBem->text().toStdString(); }

double TForm1::ReferenceHeight() { return NumberBoxH0->Value(); }

std::string TForm1::ReferenceHeightText() { return NumberBoxH0->Model().ProtocolText(); }

// The former lines would otherwise live on beside the new ones until the
// run hands them over.
void TForm1::ProtocolBegins() { pending_protocol_.reset(); }

void TForm1::ShowProtocol(const std::vector<std::string>& lines) {
  // The lines follow at once (KeepProtocol); a pane not shown takes them
  // from there when its page is shown.
  pending_protocol_.reset();
  protocol_pending_ = true;
  if (!TabSheet4->isVisible()) return;
  protocol_pending_ = false;
  SetProtocolText(lines);
}

void TForm1::KeepProtocol(const zelmaro::ProtocolLines& lines) {
  if (protocol_pending_) pending_protocol_ = lines;
}

void TForm1::SetProtocolText(const std::vector<std::string>& lines) {
  size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 1;
  BusyScope busy(*this);
  constexpr size_t kLargeProtocol = 1 << 20;
  if (size > kLargeProtocol) busy.Say(QStringLiteral("Protokoll wird angezeigt …"));
  std::string joined;  // lines joined by LF
  joined.reserve(size);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) joined += '\n';
    joined += lines[i];
  }
  Prot->setPlainText(QString::fromStdString(joined));
}

void TForm1::FillProtocolPane() {
  if (!protocol_pending_) return;
  protocol_pending_ = false;
  const zelmaro::ProtocolLines lines = std::move(pending_protocol_);
  SetProtocolText(lines ? *lines : std::vector<std::string>{});
}

QPlainTextEdit* TForm1::ProtocolPane() {
  FillProtocolPane();
  return Prot;
}

void TForm1::SetResultField(zelmaro::ResultField field, const std::string& text) {
  QLineEdit* edit = nullptr;
  switch (field) {
    case zelmaro::ResultField::EditA0: edit = EditA0; break;
    case zelmaro::ResultField::EditM0: edit = EditM0; break;
    case zelmaro::ResultField::EditA1: edit = EditA1; break;
    case zelmaro::ResultField::EditM1: edit = EditM1; break;
    case zelmaro::ResultField::EditA2: edit = EditA2; break;
    case zelmaro::ResultField::EditM2: edit = EditM2; break;
  }
  if (edit) edit->setText(QString::fromStdString(text));
}

void TForm1::Progress(const std::string& text) {
  if (busy_) {
    busy_->Say(QString::fromStdString(text));
  } else {
    BusyScope busy(*this);
    busy.Say(QString::fromStdString(text));
  }
}

TForm1::BusyScope::BusyScope(TForm1& form) : form_(form), outer_(form.busy_) { form.busy_ = this; }

TForm1::BusyScope::~BusyScope() {
  form_.busy_ = outer_;
  if (!active_) return;
  QStatusBar* bar = form_.StatusBar1;
  if (bar->currentMessage() == form_.progress_text_) {
    bar->showMessage(before_);
    form_.progress_text_ = outer_ && outer_->active_ ? before_ : QString();
  }
  QApplication::restoreOverrideCursor();
}

void TForm1::BusyScope::Say(const QString& text) {
  if (!active_) {
    active_ = true;
    before_ = form_.StatusBar1->currentMessage();
    QApplication::setOverrideCursor(Qt::WaitCursor);
  }
  form_.progress_text_ = text;
  form_.StatusBar1->showMessage(text);
  // Painted now, not when the work is done: the event loop waits for it.
  form_.repaint();
}

void TForm1::Coincidence() {
  // On gridded data a triangulation meets the same coincidence hundreds of
  // times; one box per run says all there is to say.
  if (coincidence_shown_) return;
  coincidence_shown_ = true;
  ShowCoincidenceMessage();
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
