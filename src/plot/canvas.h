#pragma once
// The drawing surface the plot draws on, the same for the screen's bitmap and
// a printer page, and what the plot asks of its targets.
//
// Coordinates are whole units of the target: pixels (y downwards) on the
// screen, 0.1 mm (y upwards from the page's top-left) on the printer. The
// surface keeps its current pen, brush and font like a device context; the
// shapes are outlined with the pen and filled with the brush unless the brush
// is clear.
#include <cstdint>
#include <span>
#include <string>

#include "text/errors.h"

namespace zelmaro {

struct TColor {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const TColor&, const TColor&) = default;
};

constexpr TColor clBlack{0, 0, 0};
constexpr TColor clWhite{255, 255, 255};
constexpr TColor clBlue{0, 0, 255};
constexpr TColor clRed{255, 0, 0};
constexpr TColor clMaroon{128, 0, 0};
constexpr TColor clFuchsia{255, 0, 255};  // the boundary
constexpr TColor clGreen{0, 128, 0};      // breaklines

enum class TPenStyle { psSolid, psDash };
enum class TBrushStyle { bsSolid, bsClear };

struct TPoint {
  int32_t x = 0, y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

class TCanvas {
 public:
  virtual ~TCanvas() = default;

  virtual TColor PenColor() const = 0;
  virtual void SetPenColor(TColor color) = 0;
  virtual void SetPenWidth(int width) = 0;
  virtual void SetPenStyle(TPenStyle style) = 0;
  virtual void SetBrushColor(TColor color) = 0;
  virtual void SetBrushStyle(TBrushStyle style) = 0;
  virtual void SetFontName(const std::string& name) = 0;
  virtual void SetFontSize(int points) = 0;
  virtual void SetFontColor(TColor color) = 0;

  // Fills (left, top)-(right, bottom) with the brush colour; right and bottom
  // are the first column and row outside.
  virtual void FillRect(int left, int top, int right, int bottom) = 0;
  // Text with its top-left corner at (x, y), on a transparent background.
  virtual void TextOut(int x, int y, const std::string& text) = 0;
  // The ellipse inside the bounding box (left, top)-(right, bottom).
  virtual void Ellipse(int left, int top, int right, int bottom) = 0;
  // The closed outline through the corners, last back to first.
  virtual void Polygon(std::span<const TPoint> corners) = 0;
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  // Straight lines between the points taken in pairs, each drawn as MoveTo
  // to its first and LineTo to its second point; the current position ends
  // at the last line's end. One call for many lines, which a painter draws
  // at once.
  virtual void Lines(std::span<const TPoint> ends) {
    for (size_t i = 0; i + 1 < ends.size(); i += 2) {
      MoveTo(ends[i].x, ends[i].y);
      LineTo(ends[i + 1].x, ends[i + 1].y);
    }
  }
  // The closed outlines of triangles, three corners each in turn, each as
  // Polygon draws it. One call for a whole mesh, which a painter may share
  // out.
  virtual void Triangles(std::span<const TPoint> corners) {
    for (size_t i = 0; i + 3 <= corners.size(); i += 3) Polygon(corners.subspan(i, 3));
  }
  virtual void Rectangle(int left, int top, int right, int bottom) = 0;
};

// What a printer reports about its page: the printable page in device dots
// and in millimetres, and its resolution.
struct TPrinterDevice {
  int PageWidth = 0;   // dots
  int PageHeight = 0;  // dots
  int LogPixelsX = 0;  // dots per inch across
  int LogPixelsY = 0;  // dots per inch down
  int HorzSize = 0;    // millimetres
  int VertSize = 0;    // millimetres
};

// A printer that cannot be used: not there, or refusing the job.
class EPrinter : public EZelmaroError {
 public:
  using EZelmaroError::EZelmaroError;
};

// The two places the plot goes: the bitmap of the plot image and a printer
// page. The window implements them, tests record what reaches them.
class TPlotTarget {
 public:
  virtual ~TPlotTarget() = default;

  // Screen: the size of a page of the page control, in pixels.
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;
  // Sizes the image's bitmap (height first, then width) and returns its surface.
  virtual TCanvas& ScreenCanvas(int width, int height) = 0;
  // Shows what has been drawn on the bitmap so far.
  virtual void RepaintScreen() = 0;

  // Printer: the device values of the printer chosen in the printer setup.
  // Throws EPrinter when there is no usable printer.
  virtual TPrinterDevice PrinterDevice() = 0;
  // Starts a print document and returns its page, in 0.1 mm units with y
  // upwards from the top-left of the printable area.
  virtual TCanvas& BeginDoc() = 0;
  // Ends the document, which sends the page to the printer.
  virtual void EndDoc() = 0;
  // Abandons the document: nothing is printed.
  virtual void AbortDoc() = 0;
};

}  // namespace zelmaro
