// The main window's widgets: the constructor, the tool bar's buttons and
// their actions, and the pages with their fields at the designed places.
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "ui/CutFillPage.h"
#include "ui/NumberBox.h"
#include "ui/Unit1.h"
#include "ui/icons.h"
#include "ui/ui_common.h"

using zelmaro::ui::IconId;
using zelmaro::ui::kCompleteOutlineKey;
using zelmaro::ui::MakeIcon;
using zelmaro::ui::TahomaFont;

namespace {

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
