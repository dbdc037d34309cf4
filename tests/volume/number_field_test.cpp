// The reference-height field: when it raises its value-changed event (each
// event is a computation run), and how its limits clamp.
#include <gtest/gtest.h>

#include <clocale>

#include "volume/number_field.h"

namespace zelmaro {
namespace {

struct Counted {
  NumberFieldModel field;
  int events = 0;
  std::vector<double> seen;  // the value the handler finds
  Counted() {
    field.OnChangeValue = [this] {
      ++events;
      seen.push_back(field.Value());
    };
  }
};

TEST(NumberField, EventOnlyForADifferentValueOrAnEmptyText) {
  Counted c;
  c.field.SetValue(0);  // held already
  EXPECT_EQ(c.events, 0);
  c.field.SetValue(286.684);
  EXPECT_EQ(c.events, 1);
  EXPECT_EQ(c.seen.back(), 286.684);
  EXPECT_EQ(c.field.Text(), "286.684");
  c.field.SetValue(286.684);
  EXPECT_EQ(c.events, 1);

  // The user clears the field: no number, no event; then the program sets
  // the same value again, which counts because the text is empty.
  c.field.UserEdited("");
  EXPECT_EQ(c.events, 1);
  EXPECT_EQ(c.field.Value(), 286.684);
  c.field.SetValue(286.684);
  EXPECT_EQ(c.events, 2);
  EXPECT_EQ(c.field.Text(), "286.684");
}

TEST(NumberField, UserEditsKeepTheirTextAndRaiseOnANewNumber) {
  Counted c;
  c.field.UserEdited("12.");
  EXPECT_EQ(c.events, 1);
  EXPECT_EQ(c.field.Value(), 12);
  EXPECT_EQ(c.field.Text(), "12.");
  c.field.UserEdited("12.0");  // the same number
  EXPECT_EQ(c.events, 1);
  EXPECT_EQ(c.field.Text(), "12.0");
  c.field.UserEdited("12,5");  // a German decimal comma
  EXPECT_EQ(c.events, 2);
  EXPECT_EQ(c.field.Value(), 12.5);
  EXPECT_TRUE(c.field.TextIsNumber());
  // Still no number: nothing computed, the value stays, the field says so.
  for (const char* text : {"12,5x", "1.2,5", "1,2,5", "-", "12,5e"}) {
    c.field.UserEdited(text);
    EXPECT_EQ(c.events, 2) << text;
    EXPECT_EQ(c.field.Value(), 12.5) << text;
    EXPECT_FALSE(c.field.TextIsNumber()) << text;
  }
  c.field.UserEdited(" -1.5 ");
  EXPECT_EQ(c.events, 3);
  EXPECT_EQ(c.field.Value(), -1.5);
  EXPECT_TRUE(c.field.TextIsNumber());
  c.field.StepBy(0.5);
  EXPECT_EQ(c.field.Value(), -1.0);
  EXPECT_EQ(c.field.Text(), "-1.000");
  EXPECT_EQ(c.events, 4);
  c.field.UserEdited("");  // the placeholder is no fault
  EXPECT_TRUE(c.field.TextIsNumber());
}

// The protocol names the height the run used: the typed text only where it
// reads exactly that value with the protocol's own ".".
TEST(NumberField, ProtocolTextIsTheHeightHeld) {
  Counted c;
  c.field.SetValue(286.684);
  EXPECT_EQ(c.field.ProtocolText(), "286.684");
  c.field.UserEdited("286.5");
  EXPECT_EQ(c.field.ProtocolText(), "286.5");
  c.field.UserEdited("284,5");
  EXPECT_EQ(c.field.ProtocolText(), "284.500");
  c.field.UserEdited("284,5x");
  EXPECT_EQ(c.field.ProtocolText(), "284.500");
  c.field.UserEdited("");
  EXPECT_EQ(c.field.ProtocolText(), "284.500");
  c.field.SetMinValue(283.773);
  c.field.SetMaxValue(292.057);
  c.field.UserEdited("400");
  EXPECT_EQ(c.field.Value(), 292.057);
  EXPECT_EQ(c.field.ProtocolText(), "292.057");
  c.field.UserEdited("2");
  EXPECT_EQ(c.field.ProtocolText(), "283.773");
  // A value with more than three decimals (the mass balance sets such) is
  // shown with all of them, up to six: the printed height reproduces the
  // printed figures. Beyond six the value itself is rounded, so that text
  // and value never part.
  NumberFieldModel f;
  f.SetValue(1.23456);
  EXPECT_EQ(f.ProtocolText(), "1.23456");
  EXPECT_EQ(f.Text(), "1.23456");
  f.SetValue(284.268934512);
  EXPECT_EQ(f.Text(), "284.268935");
  EXPECT_EQ(f.Value(), 284.268935);
  f.UserEdited("284.26893");
  f.EditingFinished();
  EXPECT_EQ(f.Text(), "284.26893");
  EXPECT_EQ(f.Value(), 284.26893);
  for (const auto& [v, text] : {std::pair{280.0, "280.000"}, {-1.5, "-1.500"}, {0.1 + 0.2, "0.300"},
                                {1e12, "1000000000000.000"}, {284.1234, "284.1234"}})
    EXPECT_EQ(HeightText(v), text) << text;
}

TEST(NumberField, LimitsClampOnlyWhileTheyDiffer) {
  Counted c;
  c.field.SetMinValue(0);
  c.field.SetMaxValue(0);
  c.field.SetValue(500);  // equal limits: no clamping
  EXPECT_EQ(c.field.Value(), 500);
  EXPECT_EQ(c.events, 1);

  // The double-click's order: minimum, then maximum. While only the
  // minimum is set the range lies between it and the old maximum 0.
  c.field.SetMinValue(280);
  EXPECT_EQ(c.field.Value(), 280);
  EXPECT_EQ(c.events, 2);
  EXPECT_EQ(c.seen.back(), 280);
  c.field.SetMaxValue(300);  // 280 still inside: not set again
  EXPECT_EQ(c.events, 2);

  c.field.SetValue(250);  // clamps to the value held: no event
  EXPECT_EQ(c.events, 2);
  c.field.SetValue(320);
  EXPECT_EQ(c.field.Value(), 300);
  EXPECT_EQ(c.field.Text(), "300.000");
  EXPECT_EQ(c.events, 3);
  c.field.SetMaxValue(290);  // now outside: set again, clamped
  EXPECT_EQ(c.field.Value(), 290);
  EXPECT_EQ(c.events, 4);
  c.field.UserEdited("100");
  EXPECT_EQ(c.field.Value(), 280);
  EXPECT_EQ(c.events, 5);
}

TEST(NumberField, TextUsesThePointUnderAGermanLocale) {
  const char* old = std::setlocale(LC_ALL, nullptr);
  const std::string saved = old ? old : "C";
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale";
  NumberFieldModel f;
  f.SetValue(-1.5);
  EXPECT_EQ(f.Text(), "-1.500");
  f.UserEdited("2.25");
  EXPECT_EQ(f.Value(), 2.25);
  std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
}  // namespace zelmaro

namespace zelmaro {
namespace {

// A typed height that the limits clamp must not stay in the field (and in the
// protocol's reference line) once the edit is over: it was not computed with.
TEST(NumberField, FinishingAnEditShowsTheHeightHeld) {
  Counted c;
  c.field.SetMinValue(280);
  c.field.SetMaxValue(300);
  // Above the upper limit no further digit brings the text back: the
  // clamped height shows at once. Below the lower one the user may be
  // typing the first digits of a valid height: the text waits for the end.
  c.field.UserEdited("310");
  EXPECT_EQ(c.field.Value(), 300);
  EXPECT_EQ(c.field.Text(), "300.000");
  c.field.UserEdited("29");
  EXPECT_EQ(c.field.Value(), 280);
  EXPECT_EQ(c.field.Text(), "29");
  c.field.UserEdited("310");
  const int events = c.events;
  c.field.EditingFinished();
  EXPECT_EQ(c.field.Text(), "300.000");
  EXPECT_EQ(c.events, events);
  c.field.UserEdited("29a");
  c.field.EditingFinished();
  EXPECT_EQ(c.field.Text(), "300.000");
  c.field.UserEdited("");
  c.field.EditingFinished();
  EXPECT_EQ(c.field.Text(), "");  // a cleared field keeps its placeholder
}

}  // namespace
}  // namespace zelmaro
