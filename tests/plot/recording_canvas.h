#pragma once
// A drawing surface and plot target that write down what reaches them, one
// line per shape with the pen colour it was drawn in.
#include <string>
#include <vector>

#include "plot/canvas.h"
#include "text/format.h"

namespace zelmaro::testing {

inline std::string ColorName(TColor c) { return Format("%d,%d,%d", c.r, c.g, c.b); }

class RecordingCanvas : public TCanvas {
 public:
  std::vector<std::string> log;
  TColor pen{clBlack};
  TColor brush{clWhite};
  int pen_width = 1;
  TPenStyle pen_style = TPenStyle::psSolid;
  TBrushStyle brush_style = TBrushStyle::bsSolid;
  std::string font_name;
  int font_size = 0;
  TColor font_color{clBlack};

  TColor PenColor() const override { return pen; }
  void SetPenColor(TColor color) override { pen = color; }
  void SetPenWidth(int width) override { pen_width = width; }
  void SetPenStyle(TPenStyle style) override { pen_style = style; }
  void SetBrushColor(TColor color) override { brush = color; }
  void SetBrushStyle(TBrushStyle style) override { brush_style = style; }
  void SetFontName(const std::string& name) override { font_name = name; }
  void SetFontSize(int points) override { font_size = points; }
  void SetFontColor(TColor color) override { font_color = color; }

  void FillRect(int l, int t, int r, int b) override {
    log.push_back(Format("FillRect %d %d %d %d brush=%s", l, t, r, b, ColorName(brush).c_str()));
  }
  void TextOut(int x, int y, const std::string& text) override {
    log.push_back(Format("TextOut %d %d '%s' font=%s/%d", x, y, text.c_str(), font_name.c_str(),
                         font_size));
  }
  void Ellipse(int l, int t, int r, int b) override {
    log.push_back(Format("Ellipse %d %d %d %d pen=%s%s", l, t, r, b, ColorName(pen).c_str(),
                         brush_style == TBrushStyle::bsClear ? "" : " filled"));
  }
  void Polygon(std::span<const TPoint> corners) override {
    std::string s = "Polygon";
    for (const TPoint& p : corners) s += Format(" %d,%d", p.x, p.y);
    log.push_back(s + " pen=" + ColorName(pen));
  }
  void MoveTo(int x, int y) override { log.push_back(Format("MoveTo %d %d", x, y)); }
  void LineTo(int x, int y) override {
    log.push_back(Format("LineTo %d %d pen=%s%s", x, y, ColorName(pen).c_str(),
                         pen_style == TPenStyle::psDash ? " dashed" : ""));
  }
  void Rectangle(int l, int t, int r, int b) override {
    log.push_back(Format("Rectangle %d %d %d %d pen=%s %s%s", l, t, r, b, ColorName(pen).c_str(),
                         pen_style == TPenStyle::psDash ? "dashed" : "solid",
                         brush_style == TBrushStyle::bsClear ? "" : " filled"));
  }

  // The lines that start with the given word.
  std::vector<std::string> Lines(const std::string& word) const {
    std::vector<std::string> out;
    for (const std::string& l : log) {
      if (l.rfind(word + " ", 0) == 0) out.push_back(l);
    }
    return out;
  }
};

class RecordingTarget : public TPlotTarget {
 public:
  RecordingCanvas screen;
  RecordingCanvas page;
  std::vector<std::string> events;
  int width = 640;
  int height = 480;
  TPrinterDevice device{4800, 6600, 600, 600, 203, 279};
  bool printer_missing = false;

  int ScreenWidth() override { return width; }
  int ScreenHeight() override { return height; }
  TCanvas& ScreenCanvas(int w, int h) override {
    events.push_back(Format("Screen %dx%d", w, h));
    return screen;
  }
  void RepaintScreen() override { events.push_back("Repaint"); }
  TPrinterDevice PrinterDevice() override {
    if (printer_missing) throw EPrinter("Kein Drucker verfügbar");
    return device;
  }
  TCanvas& BeginDoc() override {
    if (printer_missing) throw EPrinter("Kein Drucker verfügbar");
    events.push_back("BeginDoc");
    return page;
  }
  void EndDoc() override { events.push_back("EndDoc"); }
  void AbortDoc() override { events.push_back("AbortDoc"); }
};

}  // namespace zelmaro::testing
