#include "volume/breaklines.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <unordered_map>

#include "points/reader.h"
#include "text/convert.h"
#include "text/errors.h"
#include "text/textfile.h"

namespace zelmaro {

namespace {
using ext = long double;

ext Orient(const TPunkt& a, const TPunkt& b, const TPunkt& c) {
  return (ext(b.Y) - a.Y) * (ext(c.X) - a.X) - (ext(b.X) - a.X) * (ext(c.Y) - a.Y);
}

bool Opposite(ext a, ext b) { return (a > 0 && b < 0) || (a < 0 && b > 0); }
}  // namespace

Breaklines ParseBreaklinesText(const std::string& text) {
  Breaklines b;
  // A byte order mark some editors write says nothing.
  size_t pos = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
  int line_no = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string line(Trim(std::string_view(text).substr(pos, end - pos)));
    pos = end + 1;
    ++line_no;
    if (line.empty() || line[0] == '#') continue;
    std::vector<int32_t> numbers;
    size_t at = 0;
    while (at < line.size()) {
      while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == ',' || line[at] == ';')) ++at;
      size_t e = at;
      while (e < line.size() && line[e] != ' ' && line[e] != '\t' && line[e] != ',' && line[e] != ';') ++e;
      if (e == at) break;
      int32_t v = 0;
      const std::string field = line.substr(at, e - at);
      if (!TryStrToInt(field, v))
        throw ELimitError("Bruchkanten, Zeile " + std::to_string(line_no) + ": '" + field +
                          "' ist keine Punktnummer");
      numbers.push_back(v);
      at = e;
    }
    if (numbers.size() < 2)
      throw ELimitError("Bruchkanten, Zeile " + std::to_string(line_no) +
                        ": eine Bruchkante braucht mindestens zwei Punkte");
    b.lines.push_back(std::move(numbers));
  }
  return b;
}

Breaklines ReadBreaklinesFile(const std::string& file_name) {
  std::string bytes;
  const ReadResult r = ReadWholeFile(file_name, bytes, size_t{64} << 20);
  if (r != ReadResult::Ok) throw ELimitError(ReadFailureMessage(r, file_name));
  return ParseBreaklinesText(bytes);
}

PreparedBreaklines PrepareBreaklines(PointTable& P, const Breaklines& b) {
  PreparedBreaklines out;
  std::unordered_map<int32_t, int32_t> slot;
  int32_t highest = 0;
  for (int i = High(P); i >= 1; --i) {
    slot[P[static_cast<size_t>(i)].NR] = i;
    highest = std::max(highest, P[static_cast<size_t>(i)].NR);
  }
  struct Seg {
    int32_t line, a, b;
    double lo, hi;  // easting range
    std::vector<std::pair<ext, int32_t>> cuts;  // crossing slots by position along the segment
  };
  std::vector<Seg> segs;
  for (size_t l = 0; l < b.lines.size(); ++l) {
    int32_t prev = 0;
    for (int32_t nr : b.lines[l]) {
      auto it = slot.find(nr);
      if (it == slot.end())
        throw ELimitError("Bruchkante " + std::to_string(l + 1) + ": Punkt " + std::to_string(nr) +
                          " ist nicht in der Punktdatei.");
      const int32_t s = it->second;
      if (prev != 0 && s != prev) {
        const TPunkt &p = P[static_cast<size_t>(prev)], &q = P[static_cast<size_t>(s)];
        segs.push_back({static_cast<int32_t>(l), prev, s, std::min(p.Y, q.Y), std::max(p.Y, q.Y), {}});
      }
      prev = s;
    }
  }
  // Crossings: segments in order of their least easting, each against those
  // that begin before it ends.
  std::vector<size_t> order(segs.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t x, size_t y) { return segs[x].lo < segs[y].lo; });
  struct Hit {
    size_t first, second;
  };
  std::vector<Hit> hits;
  for (size_t i = 0; i < order.size(); ++i) {
    const Seg& s = segs[order[i]];
    const TPunkt &a = P[static_cast<size_t>(s.a)], &bb = P[static_cast<size_t>(s.b)];
    const double nlo = std::min(a.X, bb.X), nhi = std::max(a.X, bb.X);
    for (size_t j = i + 1; j < order.size() && segs[order[j]].lo <= s.hi; ++j) {
      const Seg& t = segs[order[j]];
      if (t.a == s.a || t.a == s.b || t.b == s.a || t.b == s.b) continue;
      const TPunkt &c = P[static_cast<size_t>(t.a)], &d = P[static_cast<size_t>(t.b)];
      if (std::max(c.X, d.X) < nlo || std::min(c.X, d.X) > nhi) continue;
      if (Opposite(Orient(a, bb, c), Orient(a, bb, d)) && Opposite(Orient(c, d, a), Orient(c, d, bb)))
        hits.push_back(order[i] < order[j] ? Hit{order[i], order[j]} : Hit{order[j], order[i]});
    }
  }
  // The first line is the one given first; numbering follows it.
  std::sort(hits.begin(), hits.end(), [](const Hit& x, const Hit& y) {
    return x.first != y.first ? x.first < y.first : x.second < y.second;
  });
  for (const Hit& h : hits) {
    Seg &s = segs[h.first], &t = segs[h.second];
    const TPunkt a = P[static_cast<size_t>(s.a)], bb = P[static_cast<size_t>(s.b)];
    const TPunkt c = P[static_cast<size_t>(t.a)], d = P[static_cast<size_t>(t.b)];
    const ext oa = Orient(c, d, a), ob = Orient(c, d, bb);
    const ext u = oa / (oa - ob);  // along the first segment
    const ext oc = Orient(a, bb, c), od = Orient(a, bb, d);
    const ext v = oc / (oc - od);  // along the second
    BreaklineCrossing x;
    x.NR = highest < std::numeric_limits<int32_t>::max() ? ++highest : highest;
    x.X = static_cast<double>(a.X + (ext(bb.X) - a.X) * u);
    x.Y = static_cast<double>(a.Y + (ext(bb.Y) - a.Y) * u);
    x.Z = static_cast<double>(a.Z + (ext(bb.Z) - a.Z) * u);
    x.line1 = s.line + 1;
    x.line2 = t.line + 1;
    const bool all_ref = a.Code == 1 && bb.Code == 1 && c.Code == 1 && d.Code == 1;
    auto in_terrain = [](int8_t code) { return code == 0 || code == 1; };
    const bool all_terrain = in_terrain(a.Code) && in_terrain(bb.Code) && in_terrain(c.Code) && in_terrain(d.Code);
    x.added = all_terrain;
    if (x.added) {
      TPunkt p;
      p.NR = x.NR;
      p.X = x.X;
      p.Y = x.Y;
      p.Z = x.Z;
      p.Code = all_ref ? 1 : 0;
      P.push_back(p);
      const int32_t new_slot = High(P);
      s.cuts.emplace_back(u, new_slot);
      t.cuts.emplace_back(v, new_slot);
    }
    out.crossings.push_back(x);
  }
  uint64_t digest = 0x9e3779b97f4a7c15ULL;
  auto mix = [&digest](uint64_t w) {
    digest ^= w + 0x9e3779b97f4a7c15ULL + (digest << 6) + (digest >> 2);
  };
  for (Seg& s : segs) {
    std::sort(s.cuts.begin(), s.cuts.end());
    int32_t from = s.a;
    for (const auto& cut : s.cuts) {
      out.segments.emplace_back(from, cut.second);
      from = cut.second;
    }
    out.segments.emplace_back(from, s.b);
  }
  for (const auto& [a, bb] : out.segments) {
    mix(static_cast<uint64_t>(a) << 32 | static_cast<uint32_t>(bb));
  }
  for (const BreaklineCrossing& x : out.crossings) {
    mix(std::bit_cast<uint64_t>(x.X));
    mix(std::bit_cast<uint64_t>(x.Y));
    mix(std::bit_cast<uint64_t>(x.Z));
  }
  out.digest = out.segments.empty() ? 0 : (digest | 1);
  return out;
}

std::vector<std::pair<int32_t, int32_t>> MeshSegments(
    const Delaunay::TDelaunay& mesh, const std::vector<std::pair<int32_t, int32_t>>& segments) {
  int32_t highest = 0;
  for (const auto& [a, b] : segments) highest = std::max({highest, a, b});
  std::vector<int32_t> vertex(static_cast<size_t>(highest) + 1, 0);  // table slot -> vertex slot
  for (int32_t v = 1; v < mesh.tPoints; ++v) {
    const int32_t id = mesh.Vertex[static_cast<size_t>(v)].ID;
    if (id >= 0 && id <= highest) vertex[static_cast<size_t>(id)] = v;
  }
  std::vector<std::pair<int32_t, int32_t>> out;
  for (const auto& [a, b] : segments) {
    const int32_t va = vertex[static_cast<size_t>(a)], vb = vertex[static_cast<size_t>(b)];
    if (va != 0 && vb != 0) out.emplace_back(va, vb);
  }
  return out;
}

}  // namespace zelmaro
