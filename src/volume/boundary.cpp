#include "volume/boundary.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "points/reader.h"
#include "text/convert.h"
#include "text/errors.h"
#include "text/format.h"
#include "text/textfile.h"

namespace zelmaro {

namespace {
using ext = long double;
using Ring = std::vector<PlanPoint>;

ext Cross(const PlanPoint& a, const PlanPoint& b, const PlanPoint& c) {
  return (ext(b.E) - a.E) * (ext(c.N) - a.N) - (ext(b.N) - a.N) * (ext(c.E) - a.E);
}

void AddMoments(Moments& m, const Ring& r, int sign = 1) {
  if (r.size() < 3) return;
  ext A = 0, SE = 0, SN = 0;
  for (size_t i = 0, n = r.size(); i < n; ++i) {
    const PlanPoint& p = r[i];
    const PlanPoint& q = r[(i + 1) % n];
    const ext c = ext(p.E) * q.N - ext(q.E) * p.N;
    A += c;
    SE += (ext(p.E) + q.E) * c;
    SN += (ext(p.N) + q.N) * c;
  }
  m.A += sign * A / 2;
  m.SE += sign * SE / 6;
  m.SN += sign * SN / 6;
}

// One step of Sutherland and Hodgman: the part of the ring where side(p)
// >= 0. For a ring that is not convex the result may run back and forth
// along the cutting line, but those runs enclose nothing: its signed area
// and moments are those of the ring's part on that side, which is all this
// program takes from it.
template <class Side, class Cut>
void ClipBy(const Ring& in, Ring& out, Side side, Cut cut) {
  out.clear();
  const size_t n = in.size();
  if (n == 0) return;
  const PlanPoint* p = &in[n - 1];
  ext sp = side(*p);
  for (size_t i = 0; i < n; ++i) {
    const PlanPoint& q = in[i];
    const ext sq = side(q);
    if (sq >= 0) {
      if (sp < 0) out.push_back(cut(*p, q, sp, sq));
      out.push_back(q);
    } else if (sp >= 0) {
      out.push_back(cut(*p, q, sp, sq));
    }
    p = &q;
    sp = sq;
  }
}

PlanPoint Between(const PlanPoint& p, const PlanPoint& q, ext sp, ext sq) {
  const ext t = sp / (sp - sq);
  return {static_cast<double>(p.E + (ext(q.E) - p.E) * t),
          static_cast<double>(p.N + (ext(q.N) - p.N) * t)};
}

// Keeps E >= bound (keep_greater) or E <= bound; the cut lies on the bound.
void ClipE(const Ring& in, Ring& out, double bound, bool keep_greater) {
  ClipBy(
      in, out, [&](const PlanPoint& p) { return keep_greater ? ext(p.E) - bound : bound - ext(p.E); },
      [&](const PlanPoint& p, const PlanPoint& q, ext sp, ext sq) {
        PlanPoint c = Between(p, q, sp, sq);
        c.E = bound;
        return c;
      });
}

void ClipN(const Ring& in, Ring& out, double bound, bool keep_greater) {
  ClipBy(
      in, out, [&](const PlanPoint& p) { return keep_greater ? ext(p.N) - bound : bound - ext(p.N); },
      [&](const PlanPoint& p, const PlanPoint& q, ext sp, ext sq) {
        PlanPoint c = Between(p, q, sp, sq);
        c.N = bound;
        return c;
      });
}

// Keeps the left of a -> b.
void ClipLeft(const Ring& in, Ring& out, const PlanPoint& a, const PlanPoint& b) {
  ClipBy(in, out, [&](const PlanPoint& p) { return Cross(a, b, p); }, Between);
}

void ClipRect(const Ring& in, Ring& out, double e0, double e1, double n0, double n1) {
  Ring a;
  ClipE(in, out, e0, true);
  ClipE(out, a, e1, false);
  ClipN(a, out, n0, true);
  ClipN(out, a, n1, false);
  out.swap(a);
}

// Proper crossing of two segments (touching is no crossing).
bool Cross(const PlanPoint& a, const PlanPoint& b, const PlanPoint& c, const PlanPoint& d) {
  const ext c1 = Cross(a, b, c), c2 = Cross(a, b, d), c3 = Cross(c, d, a), c4 = Cross(c, d, b);
  return ((c1 > 0 && c2 < 0) || (c1 < 0 && c2 > 0)) && ((c3 > 0 && c4 < 0) || (c3 < 0 && c4 > 0));
}

bool InsideRing(const Ring& r, const PlanPoint& p) {
  bool in = false;
  for (size_t i = 0, j = r.size() - 1; i < r.size(); j = i++) {
    if ((r[i].N > p.N) != (r[j].N > p.N) &&
        p.E < (ext(r[j].E) - r[i].E) * (ext(p.N) - r[i].N) / (ext(r[j].N) - r[i].N) + r[i].E)
      in = !in;
  }
  return in;
}

std::string RingName(size_t k) {
  return k == 0 ? std::string("Der Außenring der Begrenzung") : "Loch " + std::to_string(k) + " der Begrenzung";
}

}  // namespace

size_t Boundary::Corners() const {
  size_t n = 0;
  for (const auto& r : rings) n += r.size();
  return n;
}

Boundary ParseBoundaryText(const std::string& text) {
  Boundary b;
  b.rings.emplace_back();
  // A byte order mark some editors write says nothing.
  size_t pos = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
  int line_no = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string_view line = Trim(std::string_view(text).substr(pos, end - pos));
    pos = end + 1;
    ++line_no;
    const bool hole = line.empty() || line == "#hole";
    if (hole) {
      if (!b.rings.back().empty()) b.rings.emplace_back();
      continue;
    }
    if (line[0] == '#') continue;
    double v[2];
    size_t at = 0;
    for (int k = 0; k < 2; ++k) {
      while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == ';')) ++at;
      size_t e = at;
      while (e < line.size() && line[e] != ' ' && line[e] != '\t' && line[e] != ';') ++e;
      const std::string_view field = line.substr(at, e - at);
      if (field.empty() || !TryStrToFloat(field, v[k]))
        throw ELimitError(Format("Begrenzung, Zeile %d: '%s' ist kein Eckpunkt \"Y X\"", line_no,
                                 std::string(line).c_str()));
      at = e;
    }
    b.rings.back().push_back({v[0], v[1]});
  }
  if (b.rings.back().empty()) b.rings.pop_back();
  if (b.rings.empty()) throw ELimitError("Die Begrenzung enthält keinen Eckpunkt.");
  return b;
}

Boundary ReadBoundaryFile(const std::string& file_name) {
  std::string bytes;
  const ReadResult r = ReadWholeFile(file_name, bytes, size_t{64} << 20);
  if (r != ReadResult::Ok) throw ELimitError(ReadFailureMessage(r, file_name));
  return ParseBoundaryText(bytes);
}

std::vector<int32_t> ParsePointNumbers(const std::string& text) {
  std::vector<int32_t> out;
  size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && (text[at] == ',' || text[at] == ' ' || text[at] == '\t')) ++at;
    size_t e = at;
    while (e < text.size() && text[e] != ',' && text[e] != ' ' && text[e] != '\t') ++e;
    if (e == at) break;
    int32_t v = 0;
    const std::string field = text.substr(at, e - at);
    if (!TryStrToInt(field, v)) throw ELimitError("'" + field + "' ist keine Punktnummer");
    out.push_back(v);
    at = e;
  }
  return out;
}

Boundary BoundaryFromPoints(const PointTable& P, const std::vector<int32_t>& numbers) {
  std::unordered_map<int32_t, int> slot;
  for (int i = High(P); i >= 1; --i) slot[P[static_cast<size_t>(i)].NR] = i;
  Boundary b;
  b.rings.emplace_back();
  for (int32_t nr : numbers) {
    auto it = slot.find(nr);
    if (it == slot.end())
      throw ELimitError("Begrenzung: Punkt " + std::to_string(nr) +
                        " ist nicht in der Punktdatei.");
    const TPunkt& p = P[static_cast<size_t>(it->second)];
    b.rings[0].push_back({p.Y, p.X});
  }
  return b;
}

BoundaryClip::BoundaryClip(Boundary b) : boundary_(std::move(b)) {
  if (boundary_.Empty()) throw ELimitError("Die Begrenzung enthält keinen Eckpunkt.");
  // Closing corners given twice, and corners repeated in a row, say nothing.
  for (Ring& r : boundary_.rings) {
    Ring clean;
    for (const PlanPoint& p : r)
      if (clean.empty() || clean.back().E != p.E || clean.back().N != p.N) clean.push_back(p);
    while (clean.size() > 1 && clean.front().E == clean.back().E && clean.front().N == clean.back().N)
      clean.pop_back();
    r.swap(clean);
  }
  double emin = HUGE_VAL, emax = -HUGE_VAL, nmin = HUGE_VAL, nmax = -HUGE_VAL;
  for (size_t k = 0; k < boundary_.rings.size(); ++k) {
    const Ring& r = boundary_.rings[k];
    if (r.size() < 3) throw ELimitError(RingName(k) + " hat weniger als drei Eckpunkte.");
    for (const PlanPoint& p : r) {
      if (!std::isfinite(p.E) || !std::isfinite(p.N)) throw EInvalidOp();
      emin = std::min(emin, p.E), emax = std::max(emax, p.E);
      nmin = std::min(nmin, p.N), nmax = std::max(nmax, p.N);
    }
  }
  e0_ = emin, n0_ = nmin;
  width_ = emax - emin, height_ = nmax - nmin;
  // Local coordinates: differences of large survey coordinates lose
  // nothing that matters, products of them would.
  std::vector<Ring> local(boundary_.rings.size());
  for (size_t k = 0; k < local.size(); ++k) {
    for (const PlanPoint& p : boundary_.rings[k]) local[k].push_back({p.E - e0_, p.N - n0_});
    Moments m;
    AddMoments(m, local[k]);
    if (m.A == 0) throw ELimitError(RingName(k) + " umschließt keine Fläche.");
    // Outer ring counter-clockwise, holes clockwise.
    if ((m.A < 0) == (k == 0)) {
      std::reverse(local[k].begin(), local[k].end());
      std::reverse(boundary_.rings[k].begin(), boundary_.rings[k].end());
    }
  }
  // Rings that cross themselves or each other have no inside the volume
  // could be meant for.
  struct Edge {
    size_t ring, i;
    double lo, hi;
  };
  std::vector<Edge> edges;
  for (size_t k = 0; k < local.size(); ++k)
    for (size_t i = 0; i < local[k].size(); ++i) {
      const PlanPoint &p = local[k][i], &q = local[k][(i + 1) % local[k].size()];
      edges.push_back({k, i, std::min(p.E, q.E), std::max(p.E, q.E)});
    }
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.lo < b.lo; });
  for (size_t x = 0; x < edges.size(); ++x) {
    const Ring& rx = local[edges[x].ring];
    const PlanPoint &a = rx[edges[x].i], &b = rx[(edges[x].i + 1) % rx.size()];
    for (size_t y = x + 1; y < edges.size() && edges[y].lo <= edges[x].hi; ++y) {
      const Ring& ry = local[edges[y].ring];
      const PlanPoint &c = ry[edges[y].i], &d = ry[(edges[y].i + 1) % ry.size()];
      if (Cross(a, b, c, d)) {
        throw ELimitError(edges[x].ring == edges[y].ring
                              ? RingName(edges[x].ring) + " kreuzt sich selbst."
                              : RingName(std::max(edges[x].ring, edges[y].ring)) + " kreuzt " +
                                    (std::min(edges[x].ring, edges[y].ring) == 0
                                         ? std::string("den Außenring.")
                                         : "Loch " + std::to_string(std::min(edges[x].ring, edges[y].ring)) + "."));
      }
    }
  }
  for (size_t k = 1; k < local.size(); ++k) {
    PlanPoint mid{(local[k][0].E + local[k][1].E) / 2, (local[k][0].N + local[k][1].N) / 2};
    if (!InsideRing(local[0], mid))
      throw ELimitError(RingName(k) + " liegt nicht innerhalb des Außenrings.");
  }
  Moments m;
  for (const Ring& r : local) AddMoments(m, r);
  area_ = static_cast<double>(m.A);
  centroidE_ = static_cast<double>(e0_ + m.SE / m.A);
  centroidN_ = static_cast<double>(n0_ + m.SN / m.A);

  // The grid: some two cells per corner along each side keeps the pieces
  // of a cut cell small.
  const size_t corners = boundary_.Corners();
  const int g = std::clamp(static_cast<int>(2 * std::ceil(std::sqrt(double(corners)))), 1, 256);
  nx_ = width_ > 0 ? g : 1;
  ny_ = height_ > 0 ? g : 1;
  cw_ = width_ / nx_;
  ch_ = height_ / ny_;
  cells_.assign(static_cast<size_t>(nx_) * ny_, Cell::Outside);
  std::vector<uint8_t> touched(cells_.size(), 0);
  auto col = [&](double e) { return std::clamp(static_cast<int>(std::floor(e / cw_)), 0, nx_ - 1); };
  auto row = [&](double n) { return std::clamp(static_cast<int>(std::floor(n / ch_)), 0, ny_ - 1); };
  for (const Ring& r : local)
    for (size_t i = 0; i < r.size(); ++i) {
      const PlanPoint &p = r[i], &q = r[(i + 1) % r.size()];
      // One cell more on each side: a corner on a cell line touches both.
      const int c0 = std::max(col(std::min(p.E, q.E)) - 1, 0), c1 = std::min(col(std::max(p.E, q.E)) + 1, nx_ - 1);
      const int r0 = std::max(row(std::min(p.N, q.N)) - 1, 0), r1 = std::min(row(std::max(p.N, q.N)) + 1, ny_ - 1);
      for (int y = r0; y <= r1; ++y)
        for (int x = c0; x <= c1; ++x) touched[static_cast<size_t>(y) * nx_ + x] = 1;
    }
  pieces_.resize(cells_.size());
  Ring strip, tmp, piece;
  std::vector<Ring> strips(local.size());
  for (int y = 0; y < ny_; ++y) {
    const double lo = y * ch_, hi = y + 1 == ny_ ? height_ : (y + 1) * ch_;
    for (size_t k = 0; k < local.size(); ++k) {
      ClipN(local[k], tmp, lo, true);
      ClipN(tmp, strips[k], hi, false);
    }
    for (int x = 0; x < nx_; ++x) {
      const double l = x * cw_, h = x + 1 == nx_ ? width_ : (x + 1) * cw_;
      const size_t c = static_cast<size_t>(y) * nx_ + x;
      Moments cm;
      std::vector<Ring> kept;
      for (const Ring& s : strips) {
        ClipE(s, tmp, l, true);
        ClipE(tmp, piece, h, false);
        if (piece.size() < 3) continue;
        AddMoments(cm, piece);
        kept.push_back(piece);
      }
      if (touched[c]) {
        cells_[c] = Cell::Cut;
        pieces_[c] = std::move(kept);
      } else {
        cells_[c] = cm.A > ext(cw_) * ch_ / 2 ? Cell::Inside : Cell::Outside;
      }
    }
  }
}

Moments BoundaryClip::Inside(const PlanPoint t[3], const long double* half) const {
  Moments m;
  PlanPoint a = t[0], b = t[1], c = t[2];
  if (Cross(a, b, c) < 0) std::swap(b, c);
  const double emin = std::min({a.E, b.E, c.E}), emax = std::max({a.E, b.E, c.E});
  const double nmin = std::min({a.N, b.N, c.N}), nmax = std::max({a.N, b.N, c.N});
  if (emax < 0 || nmax < 0 || emin > width_ || nmin > height_) return m;
  auto col = [&](double e) { return std::clamp(static_cast<int>(std::floor(e / cw_)), 0, nx_ - 1); };
  auto row = [&](double n) { return std::clamp(static_cast<int>(std::floor(n / ch_)), 0, ny_ - 1); };
  const int c0 = cw_ > 0 ? col(emin) : 0, c1 = cw_ > 0 ? col(emax) : 0;
  const int r0 = ch_ > 0 ? row(nmin) : 0, r1 = ch_ > 0 ? row(nmax) : 0;
  const Ring tri{a, b, c};
  Ring out, tmp, cut;
  auto add = [&](const Ring& r) {
    if (!half) return AddMoments(m, r);
    ClipBy(r, cut, [half](const PlanPoint& p) { return half[0] + half[1] * p.E + half[2] * p.N; },
           Between);
    AddMoments(m, cut);
  };
  for (int y = r0; y <= r1; ++y)
    for (int x = c0; x <= c1; ++x) {
      const size_t k = static_cast<size_t>(y) * nx_ + x;
      if (cells_[k] == Cell::Outside) continue;
      if (cells_[k] == Cell::Inside) {
        const double l = x * cw_, h = x + 1 == nx_ ? width_ : (x + 1) * cw_;
        const double lo = y * ch_, hi = y + 1 == ny_ ? height_ : (y + 1) * ch_;
        if (emin >= l && emax <= h && nmin >= lo && nmax <= hi) {
          add(tri);
        } else {
          ClipRect(tri, out, l, h, lo, hi);
          add(out);
        }
        continue;
      }
      for (const Ring& piece : pieces_[k]) {
        ClipLeft(piece, out, a, b);
        ClipLeft(out, tmp, b, c);
        ClipLeft(tmp, out, c, a);
        add(out);
      }
    }
  return m;
}

void BoundaryClip::Prism(const double X[3], const double Y[3], const double Z[3], double H0,
                         double& A, double& Ma) const {
  const PlanPoint t[3] = {{Y[0] - e0_, X[0] - n0_}, {Y[1] - e0_, X[1] - n0_}, {Y[2] - e0_, X[2] - n0_}};
  // Wholly inside: the uncut prism's own figures, bit for bit.
  const double emin = std::min({t[0].E, t[1].E, t[2].E}), emax = std::max({t[0].E, t[1].E, t[2].E});
  const double nmin = std::min({t[0].N, t[1].N, t[2].N}), nmax = std::max({t[0].N, t[1].N, t[2].N});
  A = 0;
  Ma = 0;
  if (emax < 0 || nmax < 0 || emin > width_ || nmin > height_) return;
  if (emin >= 0 && nmin >= 0 && emax <= width_ && nmax <= height_ && cw_ > 0 && ch_ > 0) {
    const int c0 = std::clamp(static_cast<int>(std::floor(emin / cw_)), 0, nx_ - 1);
    const int c1 = std::clamp(static_cast<int>(std::floor(emax / cw_)), 0, nx_ - 1);
    const int r0 = std::clamp(static_cast<int>(std::floor(nmin / ch_)), 0, ny_ - 1);
    const int r1 = std::clamp(static_cast<int>(std::floor(nmax / ch_)), 0, ny_ - 1);
    bool all_in = true, all_out = true;
    for (int y = r0; y <= r1; ++y)
      for (int x = c0; x <= c1; ++x) {
        const Cell c = cells_[static_cast<size_t>(y) * nx_ + x];
        all_in = all_in && c == Cell::Inside;
        all_out = all_out && c == Cell::Outside;
      }
    if (all_out) return;
    if (all_in) {
      A = static_cast<double>(
          std::fabs((ext(Y[1]) - Y[2]) * X[0] + (ext(Y[2]) - Y[0]) * X[1] + (ext(Y[0]) - Y[1]) * X[2]) / 2);
      Ma = static_cast<double>(((ext(Z[0]) + Z[1] + Z[2]) / 3 - H0) * A);
      return;
    }
  }
  const Moments m = Inside(t);
  if (!(m.A > 0)) return;
  // The top is the triangle's plane, so the prism is the area times the
  // height of that plane over the piece's centroid.
  const PlanPoint g{static_cast<double>(m.SE / m.A), static_cast<double>(m.SN / m.A)};
  const ext D = Cross(t[0], t[1], t[2]);
  if (D == 0) return;
  const ext l0 = Cross(g, t[1], t[2]) / D, l1 = Cross(t[0], g, t[2]) / D, l2 = 1 - l0 - l1;
  A = static_cast<double>(m.A);
  Ma = static_cast<double>((l0 * Z[0] + l1 * Z[1] + l2 * Z[2] - H0) * ext(A));
}

void BoundaryClip::AddCutFill(const double X[3], const double Y[3], const double Z[3], double H0,
                              ext& above, ext& below, ext& areaAbove, ext& areaBelow) const {
  double A, Ma;
  Prism(X, Y, Z, H0, A, Ma);
  if (A == 0) return;
  const ext h[3] = {ext(Z[0]) - H0, ext(Z[1]) - H0, ext(Z[2]) - H0};
  const int pos = (h[0] > 0) + (h[1] > 0) + (h[2] > 0), neg = (h[0] < 0) + (h[1] < 0) + (h[2] < 0);
  if (neg == 0) {
    above += Ma;
    if (pos > 0) areaAbove += A;
    return;
  }
  if (pos == 0) {
    below -= Ma;
    areaBelow += A;
    return;
  }
  // The top's height over H0 as a linear function of the plan position:
  // the part above is the inside part on one side of a line.
  const PlanPoint t[3] = {{Y[0] - e0_, X[0] - n0_}, {Y[1] - e0_, X[1] - n0_}, {Y[2] - e0_, X[2] - n0_}};
  const ext dE1 = ext(t[1].E) - t[0].E, dN1 = ext(t[1].N) - t[0].N;
  const ext dE2 = ext(t[2].E) - t[0].E, dN2 = ext(t[2].N) - t[0].N;
  const ext D = dE1 * dN2 - dE2 * dN1;
  if (D == 0) return;
  const ext gE = ((h[1] - h[0]) * dN2 - (h[2] - h[0]) * dN1) / D;
  const ext gN = (dE1 * (h[2] - h[0]) - dE2 * (h[1] - h[0])) / D;
  const ext half[3] = {h[0] - gE * t[0].E - gN * t[0].N, gE, gN};
  const Moments up = Inside(t, half);
  ext up_volume = 0;
  if (up.A > 0) up_volume = half[0] * up.A + gE * up.SE + gN * up.SN;
  above += up_volume;
  below += up_volume - Ma;
  areaAbove += up.A;
  areaBelow += A - up.A;
}

}  // namespace zelmaro
