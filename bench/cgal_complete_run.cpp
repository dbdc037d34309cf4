// The yardstick for a complete run: the same work done with CGAL's Delaunay
// triangulation. Reads the point file, triangulates the reference horizon
// (code 1) and the terrain (codes 0 and 1), and sums plan areas and prism
// volumes against the lowest height, as a run does; no protocol is written.
//
//     cgal_complete_run FILE
//
// Prints the two areas and volumes; built only where CGAL is installed.
#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

using K = CGAL::Exact_predicates_inexact_constructions_kernel;
using Vb = CGAL::Triangulation_vertex_base_with_info_2<double, K>;
using Tds = CGAL::Triangulation_data_structure_2<Vb>;
using DT = CGAL::Delaunay_triangulation_2<K, Tds>;

struct Point {
  double x, y, z;
  int code;
};

const char* SkipBlanks(const char* p, const char* end) {
  while (p < end && *p == ' ') ++p;
  return p;
}

std::vector<Point> Read(const char* name) {
  std::ifstream in(name, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<Point> pts;
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  while (p < end) {
    const char* eol = p;
    while (eol < end && *eol != '\n') ++eol;
    char* q;
    p = SkipBlanks(p, eol);
    std::strtol(p, &q, 10);
    const int code = static_cast<int>(std::strtol(q, &q, 10));
    const double y = std::strtod(q, &q);
    const double x = std::strtod(q, &q);
    const double z = std::strtod(q, &q);
    pts.push_back({x, y, z, code});
    p = eol + 1;
  }
  return pts;
}

std::pair<double, double> Horizon(const std::vector<Point>& pts, bool terrain, double h0) {
  std::vector<std::pair<K::Point_2, double>> in;
  for (const Point& p : pts)
    if (p.code == 1 || (terrain && p.code == 0)) in.emplace_back(K::Point_2(p.x, p.y), p.z);
  DT dt;
  dt.insert(in.begin(), in.end());
  double area = 0, volume = 0;
  for (auto f = dt.finite_faces_begin(); f != dt.finite_faces_end(); ++f) {
    const auto &a = f->vertex(0)->point(), &b = f->vertex(1)->point(), &c = f->vertex(2)->point();
    const double A =
        std::fabs((b.y() - c.y()) * a.x() + (c.y() - a.y()) * b.x() + (a.y() - b.y()) * c.x()) / 2;
    const double z = (f->vertex(0)->info() + f->vertex(1)->info() + f->vertex(2)->info()) / 3;
    area += A;
    volume += (z - h0) * A;
  }
  return {area, volume};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Aufruf: cgal_complete_run PUNKTDATEI\n");
    return 2;
  }
  const std::vector<Point> pts = Read(argv[1]);
  double h0 = INFINITY;
  for (const Point& p : pts) h0 = std::min(h0, p.z);
  const auto [a0, m0] = Horizon(pts, false, h0);
  const auto [a1, m1] = Horizon(pts, true, h0);
  std::printf("%zu Punkte, Bezugshorizont %.2f m2 %.2f m3, Gelände %.2f m2 %.2f m3\n", pts.size(),
              a0, m0, a1, m1);
  return 0;
}
