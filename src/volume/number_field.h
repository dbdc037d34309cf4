#pragma once
// The rules of the reference-height field, apart from any widget: the
// window's numeric field wraps this model, the command line and the tests use
// it directly.
#include <functional>
#include <string>

namespace zelmaro {

// A reference height as the window, the protocol and the reports show it:
// as many decimals as it has, up to six, trailing zeros dropped, at least
// three ("284.723", "284.26893"). A height the field holds has no more than
// six, so that its text reads back as the very height computed with.
std::string HeightText(double v);

// v rounded to the six decimals HeightText shows.
double RoundHeight(double v);

class NumberFieldModel {
 public:
  // Raised whenever the field takes a value different from the one it holds,
  // or any value while its text is empty. Runs a computation in the program.
  std::function<void()> OnChangeValue;

  double Value() const { return value_; }
  // The display text: HeightText after the program set the value, the typed
  // text while the user edits.
  const std::string& Text() const { return text_; }
  double MinValue() const { return min_; }
  double MaxValue() const { return max_; }

  // Sets the value (rounded to six decimals, clamped while the limits
  // differ); the text becomes its HeightText. Raises OnChangeValue as
  // described above.
  void SetValue(double v);
  // Setting a limit sets the value again only when the current value falls
  // outside the new limits and the limits differ.
  void SetMinValue(double v);
  void SetMaxValue(double v);

  // The user's edit: the text stays as typed; a text that reads as a number
  // ("," or "." as decimal separator) other than the held value makes it the
  // value (rounded, clamped) and raises the event. A number beyond a limit on
  // its far side from zero (no further digit brings it back) shows the
  // clamped value at once; one short of the lower limit may still be on its
  // way to a valid height and waits for the end of the edit. A text that is
  // no number leaves the value and raises nothing.
  void UserEdited(const std::string& text);
  // The end of the user's edit (Enter, leaving the field): a typed text that
  // is no number, or whose number was clamped, gives way to the value held,
  // so the field and the protocol show the height actually computed with.
  // An empty text stays empty. Raises nothing: the value does not change.
  void EditingFinished();
  // The user's steps (arrow and page keys, wheel): value + delta.
  void StepBy(double delta);

  // False while the typed text is neither empty nor a number: the window
  // marks the field, since nothing is computed for it.
  bool TextIsNumber() const { return text_is_number_; }
  // The height as the protocol names it: the field's text where it reads
  // exactly the value held, otherwise that value's HeightText. A text
  // that was clamped, or typed with a decimal comma, would name a height the
  // run did not use, or write a number the protocol's readers do not expect.
  std::string ProtocolText() const;

  bool Limited() const { return min_ != max_; }
  double Clamp(double v) const;

 private:
  void Take(double v, bool set_text);
  double value_ = 0;
  double min_ = 0;
  double max_ = 0;
  std::string text_ = "0.000";
  bool text_is_number_ = true;
};

}  // namespace zelmaro
