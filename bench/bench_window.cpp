// The window on a survey of 200,000 points, step by step as a user works:
// choosing the file (with its first run), one step of the reference height,
// a mass balance, redraws of the plot with both meshes and with contour
// lines, a wheel step with contour lines shown (on the plot page and while
// another page is shown), and filling the point list.
//
// Two surveys: a smooth terrain with coordinates of survey size (easting
// 4.5e6, northing 5.6e6) and about 100 m of relief, and a rough one with
// random heights. Every fourth point is a reference point (code 1).
//
// Each step runs once; the program prints wall and CPU time per step and the
// peak memory. Run it on Qt's offscreen platform:
//     QT_QPA_PLATFORM=offscreen build/bench/bench_window [points]
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <random>
#include <string>

#include "mesh/delaunay.h"
#include "ui/NumberBox.h"
#include "ui/Unit1.h"

namespace {

class BenchForm : public TForm1 {
 public:
  QString file;
  int errors = 0;

 protected:
  QString ChooseOpenFile() override { return file; }
  void ShowError(const QString& text, const QString&) override {
    ++errors;
    std::fprintf(stderr, "error: %s\n", text.toUtf8().constData());
  }
  void ShowCoincidenceMessage() override {}
  void RunPrinterSetup() override {}
};

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Resident memory now, from the kernel's status of the process, in MB.
double ResidentMB() {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return 0;
  char line[256];
  double kb = 0;
  while (std::fgets(line, sizeof line, f))
    if (std::sscanf(line, "VmRSS: %lf kB", &kb) == 1) break;
  std::fclose(f);
  return kb / 1024;
}

void Step(const char* survey, const char* name, const std::function<void()>& f) {
  const auto w0 = std::chrono::steady_clock::now();
  const double c0 = CpuSeconds();
  f();
  const double c1 = CpuSeconds();
  const auto w1 = std::chrono::steady_clock::now();
  rusage r{};
  getrusage(RUSAGE_SELF, &r);
  std::printf("%-7s %-40s wall %8.3f s  cpu %8.3f s  peak %6.0f MB  now %6.0f MB\n", survey,
              name, std::chrono::duration<double>(w1 - w0).count(), c1 - c0, r.ru_maxrss / 1024.0,
              ResidentMB());
  std::fflush(stdout);
}

// Writes the survey in the usual column layout; heights from height(x, y).
QString WriteSurvey(const QTemporaryDir& dir, const char* name, int n, bool rough) {
  std::mt19937_64 rng(rough ? 7 : 3);
  std::uniform_real_distribution<double> u(0, 1);
  const double side = std::sqrt(static_cast<double>(n)) * 2.0;  // about 2 m between points
  const QString path = dir.filePath(QString::fromLatin1(name));
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return QString();
  for (int i = 1; i <= n; ++i) {
    const double ly = u(rng) * side, lx = u(rng) * side;
    double z;
    if (rough) {
      z = 300 + 10 * u(rng);
    } else {
      z = 300 + 30 * std::sin(lx / 140) * std::cos(ly / 120) + 20 * std::sin((lx + ly) / 260) +
          8 * std::cos(lx / 45 - ly / 60);
    }
    const int code = i % 4 == 0 ? 1 : 0;
    f.write(QString::asprintf("%16d %5d %12.3f %12.3f %10.3f\r\n", i, code, 4500000 + ly,
                              5600000 + lx, z)
                .toLatin1());
  }
  return path;
}

void Survey(const QTemporaryDir& dir, const char* survey, int n, bool rough) {
  const QString path = WriteSurvey(dir, rough ? "rough.asc" : "smooth.asc", n, rough);
  BenchForm f;
  f.file = path;
  f.show();
  QApplication::processEvents();

  Step(survey, "open and first run", [&] { f.RunCommand([&] { f.BitBtn1Click(); }); });
  Step(survey, "one H0 step", [&] {
    f.RunCommand([&] { f.NumberBoxH0->SetValue(f.NumberBoxH0->Value() + TNumberBox::kSmallStep); });
  });
  Step(survey, "mass balance (terrain)", [&] { f.RunCommand([&] { f.SpeedButton2Click(); }); });

  f.ToolButtonMesh0->setChecked(true);
  f.ToolButtonMesh1->setChecked(true);
  Step(survey, "page Punktgrafik, both meshes", [&] { f.PageControl1->setCurrentIndex(2); });
  Step(survey, "redraw, both meshes", [&] { f.RunCommand([&] { f.ZeigPPunkte(); }); });

  // About 100 levels over the smooth terrain's relief; 10 over the rough one.
  f.EditHLIntervall->setText(QStringLiteral("1"));
  f.ToolButtonIsoline->setChecked(true);
  Step(survey, "redraw with contour lines (first)", [&] { f.RunCommand([&] { f.ZeigPPunkte(); }); });
  Step(survey, "redraw with contour lines (again)", [&] { f.RunCommand([&] { f.ZeigPPunkte(); }); });
  Step(survey, "wheel step, contour lines shown", [&] { f.RunCommand([&] { f.FormMouseWheelUp(); }); });
  f.PageControl1->setCurrentIndex(0);
  Step(survey, "wheel step on another page", [&] { f.RunCommand([&] { f.FormMouseWheelDown(); }); });
  Step(survey, "H0 step with the plot drawn", [&] {
    f.RunCommand([&] { f.NumberBoxH0->SetValue(f.NumberBoxH0->Value() + TNumberBox::kSmallStep); });
  });
  // After the run and the plot with both meshes and contour lines, then
  // with the grid filled too.
  auto peak = [survey](const char* what) {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    std::printf("%-7s %-40s %8.1f MB\n", survey, what, r.ru_maxrss / 1024.0);
  };
  peak("peak memory before the grid");
  // The yardstick for it: the two meshes' own vertex and triangle arrays,
  // as far as their points and triangles fill them.
  double arrays = 0;
  for (const auto* m : {f.Work().Mesh0.get(), f.Work().Mesh1.get()})
    if (m)
      arrays += static_cast<double>(m->tPoints) * sizeof(Delaunay::dVertex) +
                static_cast<double>(m->HowMany + 1) * sizeof(Delaunay::dTriangle);
  std::printf("%-7s %-40s %8.1f MB\n", survey, "the two meshes' arrays", arrays / (1 << 20));
  Step(survey, "filling the grid", [&] { f.RunCommand([&] { f.fillGrid(); }); });
  peak("peak memory so far");
  if (f.errors) std::printf("%-7s %d error reports\n", survey, f.errors);
  f.close();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int n = argc > 1 ? std::atoi(argv[1]) : 200000;
  const std::string only = argc > 2 ? argv[2] : "";
  QTemporaryDir dir;
  if (!dir.isValid()) return 1;
  if (only.empty() || only == "smooth") Survey(dir, "smooth", n, false);
  if (only.empty() || only == "rough") Survey(dir, "rough", n, true);
  return 0;
}
