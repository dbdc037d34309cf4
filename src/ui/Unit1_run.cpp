// The window as the run's host: the fields and the protocol pane it fills,
// the progress it reports in the status bar, and the results shown after it.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QStringList>

#include "ui/CutFillPage.h"
#include "ui/NumberBox.h"
#include "ui/Unit1.h"

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
// Results

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

void TForm1::ShowCutFill() {
  LabelCutFillH0->setText(zelmaro::ui::CutFillCaption(ws.cutFill));
  zelmaro::ui::FillCutFillTable(CutFillTable, ws.cutFill);
}

void TForm1::SetCutFillNote(const QString& text) {
  LabelCutFillNote->setText(text);
  LabelCutFillNote->setHidden(text.isEmpty());
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
