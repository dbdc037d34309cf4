#pragma once
// The PDF report's page: millimetres from the top-left corner of an A4 sheet,
// its margins and fonts, shared by the report's parts.
#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <cstddef>
#include <string>

#include "text/format.h"

namespace zelmaro::pdf {

inline QString Q(const std::string& s) { return QString::fromStdString(s); }
inline QString Trimmed(const std::string& s) { return Q(s).trimmed(); }

constexpr double kPageWidth = 210;  // mm, A4
constexpr double kPageHeight = 297;
constexpr double kLeft = 20;
constexpr double kRight = 15;
constexpr double kTop = 15;
constexpr double kBottom = 15;
constexpr double kProtocolLineHeight = 3.6;  // mm, for 8 points

// Draws in millimetres from the page's top-left corner.
class Page {
 public:
  explicit Page(QPainter& p, double dots_per_mm) : p_(p), k_(dots_per_mm) {}
  double k() const { return k_; }
  QPointF At(double x, double y) const { return {x * k_, y * k_}; }
  QRectF Rect(double x, double y, double w, double h) const { return {x * k_, y * k_, w * k_, h * k_}; }
  void Font(const char* family, double points, bool bold = false) {
    QFont f(QString::fromLatin1(family));
    f.setPointSizeF(points);
    f.setBold(bold);
    // Without shaping no ligatures: "Differenz" stays searchable as typed.
    f.setStyleStrategy(QFont::PreferNoShaping);
    p_.setFont(f);
  }
  void Text(double x, double y, const QString& text) { p_.drawText(At(x, y), text); }
  void TextRight(double right, double y, const QString& text) {
    const double w = QFontMetricsF(p_.font(), p_.device()).horizontalAdvance(text) / k_;
    Text(right - w, y, text);
  }
  void Line(double x1, double y1, double x2, double y2) { p_.drawLine(At(x1, y1), At(x2, y2)); }
  void Pen(QColor c, double width_mm) {
    QPen pen(c);
    pen.setWidthF(width_mm * k_);
    p_.setPen(pen);
  }
  QPainter& painter() { return p_; }

 private:
  QPainter& p_;
  double k_;
};

inline QString Count(size_t n) { return QString::number(static_cast<qulonglong>(n)); }

inline QString Figure(double v) { return Q(Format("%.2f", v)); }

}  // namespace zelmaro::pdf
