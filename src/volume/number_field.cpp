#include "volume/number_field.h"

#include <cmath>

#include "text/convert.h"
#include "text/format.h"

namespace zelmaro {

std::string HeightText(double v) {
  std::string text = Format("%.6f", v);
  const size_t point = text.find('.');
  if (point == std::string::npos) return text;  // inf, nan
  size_t end = text.size();
  while (end > point + 4 && text[end - 1] == '0') --end;
  text.resize(end);
  return text;
}

double RoundHeight(double v) {
  double r = 0;
  return TryStrToFloat(Format("%.6f", v), r) ? r : v;
}

double NumberFieldModel::Clamp(double v) const {
  if (!Limited()) return v;
  const double lo = min_ < max_ ? min_ : max_;
  const double hi = min_ < max_ ? max_ : min_;
  return v < lo ? lo : (v > hi ? hi : v);
}

void NumberFieldModel::Take(double v, bool set_text) {
  v = Clamp(RoundHeight(v));
  const bool raise = v != value_ || Trim(text_).empty();
  value_ = v;
  if (set_text) {
    text_ = HeightText(v);
    text_is_number_ = true;
  }
  if (raise && OnChangeValue) OnChangeValue();
}

void NumberFieldModel::SetValue(double v) { Take(v, true); }

void NumberFieldModel::SetMinValue(double v) {
  min_ = v;
  if (Limited() && Clamp(value_) != value_) SetValue(value_);
}

void NumberFieldModel::SetMaxValue(double v) {
  max_ = v;
  if (Limited() && Clamp(value_) != value_) SetValue(value_);
}

void NumberFieldModel::UserEdited(const std::string& text) {
  text_ = text;
  double v = 0;
  text_is_number_ = Trim(text).empty() || (TryFieldToFloat(Trim(text), v) && std::isfinite(v));
  if (Trim(text).empty() || !text_is_number_) return;
  const double clamped = Clamp(v);
  const bool final_beyond = (v > clamped && v > 0) || (v < clamped && v < 0);
  Take(v, final_beyond);
}

void NumberFieldModel::EditingFinished() {
  if (!Trim(text_).empty()) text_ = HeightText(value_);
  text_is_number_ = true;
}

std::string NumberFieldModel::ProtocolText() const {
  double v = 0;
  if (TryStrToFloat(text_, v) && v == value_) return text_;
  return HeightText(value_);
}

void NumberFieldModel::StepBy(double delta) { SetValue(value_ + delta); }

}  // namespace zelmaro
