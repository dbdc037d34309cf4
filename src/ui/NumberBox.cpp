#include "ui/NumberBox.h"

#include "ui/ui_common.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QWheelEvent>

TNumberBox::TNumberBox(QWidget* parent) : QLineEdit(parent) {
  setPlaceholderText(QStringLiteral("Bezugshöhe"));
  model_.OnChangeValue = [this] { ModelChanged(); };
  connect(this, &QLineEdit::textEdited, this, &TNumberBox::UserTextEdited);
  connect(this, &QLineEdit::editingFinished, this, [this] {
    model_.EditingFinished();
    SyncFromModel();
  });
  SyncFromModel();
}

void TNumberBox::SyncFromModel() {
  const QString shown = DisplayText();
  // Rewriting an unchanged text would move the cursor while the user types.
  if (text() != shown) setText(shown);
  zelmaro::ui::ShowNumberState(this, model_.TextIsNumber(), model_.Value() < 0);
}

int TNumberBox::WidthFor(const QString& text) const {
  // As QLineEdit::sizeHint measures, with the text in place of its
  // seventeen x.
  QStyleOptionFrame option;
  initStyleOption(&option);
  const QMargins margins = textMargins();
  const int cursor = style()->pixelMetric(QStyle::PM_TextCursorWidth, &option, this);
  const int inner = fontMetrics().horizontalAdvance(text) + 2 * 2 + margins.left() + margins.right() + cursor;
  return style()->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(inner, height()), this).width();
}

void TNumberBox::ModelChanged() {
  SyncFromModel();
  if (OnChangeValue) OnChangeValue();
}

void TNumberBox::UserTextEdited(const QString& text) {
  model_.UserEdited(text.toStdString());
  SyncFromModel();
}

void TNumberBox::keyPressEvent(QKeyEvent* event) {
  double step = 0;
  switch (event->key()) {
    case Qt::Key_Up: step = kSmallStep; break;
    case Qt::Key_Down: step = -kSmallStep; break;
    case Qt::Key_PageUp: step = kLargeStep; break;
    case Qt::Key_PageDown: step = -kLargeStep; break;
    default: QLineEdit::keyPressEvent(event); return;
  }
  event->accept();
  model_.StepBy(step);
  SyncFromModel();
}

void TNumberBox::wheelEvent(QWheelEvent* event) {
  wheel_rest_ += event->angleDelta().y();
  event->accept();
  while (wheel_rest_ >= 120) {
    wheel_rest_ -= 120;
    model_.StepBy(kSmallStep);
  }
  while (wheel_rest_ <= -120) {
    wheel_rest_ += 120;
    model_.StepBy(-kSmallStep);
  }
  SyncFromModel();
}
