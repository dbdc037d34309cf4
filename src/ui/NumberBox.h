#pragma once
// The reference-height field: a line edit around the field rules of the core
// (NumberFieldModel), so that the mass balance can drive the very field the
// user sees.
#include <QLineEdit>
#include <functional>

#include "volume/number_field.h"

class QKeyEvent;
class QWheelEvent;

class TNumberBox : public QLineEdit {
  Q_OBJECT

 public:
  explicit TNumberBox(QWidget* parent = nullptr);

  // Raised by every value change of the model, whoever made it: the user's
  // edit, a step, or an assignment by the program.
  std::function<void()> OnChangeValue;

  zelmaro::NumberFieldModel& Model() { return model_; }
  const zelmaro::NumberFieldModel& Model() const { return model_; }

  double Value() const { return model_.Value(); }
  void SetValue(double v) { model_.SetValue(v); SyncFromModel(); }
  void SetMinValue(double v) { model_.SetMinValue(v); SyncFromModel(); }
  void SetMaxValue(double v) { model_.SetMaxValue(v); SyncFromModel(); }
  // The display text the protocol shows: what the model holds.
  QString DisplayText() const { return QString::fromStdString(model_.Text()); }

  // Shows the model's text and colour. The model can be changed by code that
  // knows nothing of the widget (the balance), and an assignment of the value
  // already held changes the text without an event, so the window calls this
  // after each command as well.
  void SyncFromModel();

  // The width that shows the whole of text (or of the placeholder) in this
  // field's font and frame.
  int WidthFor(const QString& text) const;

  // One notch of the wheel, arrow keys and page keys.
  static constexpr double kSmallStep = 0.01;
  static constexpr double kLargeStep = 0.1;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void UserTextEdited(const QString& text);
  void ModelChanged();

  zelmaro::NumberFieldModel model_;
  int wheel_rest_ = 0;  // angle of a high-resolution wheel not yet a notch
};
