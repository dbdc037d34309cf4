// The three exports of a large survey (200,000 points by default): the
// contour lines they share, then LandXML, DXF and the PDF report each
// written to a file. Seconds per export and MB written.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "bench_survey.h"
#include "export/dxf.h"
#include "export/export_input.h"
#include "export/landxml.h"
#include "export/pdf_report.h"
#include "text/format.h"
#include "volume/run.h"
#include "workspace/workspace.h"

namespace {

constexpr int kPoints = 200000;
constexpr double kInterval = 0.5;

using bench::QuietHost;

std::string MakeFile(int points) { return bench::MakeSurveyFile("zelmaro-bench-export-", points); }

// One run, kept for all exports.
struct Run {
  zelmaro::Workspace ws;
  std::unique_ptr<zelmaro::RunRecord> record;
  zelmaro::ExportInput in;
  Run() {
    QuietHost host(MakeFile(kPoints));
    zelmaro::RecordingHost recorder(host);
    zelmaro::ToolButton1Click(ws, recorder);
    record = std::make_unique<zelmaro::RunRecord>(recorder.Finish(ws.P));
    in = zelmaro::MakeExportInput(ws, *record, kInterval, zelmaro::LocalTimeNow());
  }
};

Run& TheRun() {
  static Run run;
  return run;
}

void BM_ContourLinesForExport(benchmark::State& state) {
  Run& run = TheRun();
  for (auto _ : state) {
    zelmaro::ExportInput in = zelmaro::MakeExportInput(run.ws, *run.record, kInterval,
                                                       zelmaro::LocalTimeNow());
    benchmark::DoNotOptimize(in.terrain.polylines.size());
  }
  state.counters["polylines"] =
      static_cast<double>(run.in.reference.polylines.size() + run.in.terrain.polylines.size());
}

void WriteXml(const zelmaro::ExportInput& in, const std::string& f) { zelmaro::WriteLandXml(in, f); }
void WriteDxfFile(const zelmaro::ExportInput& in, const std::string& f) { zelmaro::WriteDxf(in, f); }
void WritePdf(const zelmaro::ExportInput& in, const std::string& f) { zelmaro::WritePdfReport(in, f); }

using Writer = void (*)(const zelmaro::ExportInput&, const std::string&);

void BM_Export(benchmark::State& state, Writer Write, const char* suffix) {
  Run& run = TheRun();
  const std::string file =
      (std::filesystem::temp_directory_path() / (std::string("zelmaro-bench-export.") + suffix))
          .string();
  for (auto _ : state) Write(run.in, file);
  const double bytes = static_cast<double>(std::filesystem::file_size(file));
  state.counters["MB"] = bytes / 1e6;
  state.counters["triangles"] = run.ws.Mesh0->HowMany + run.ws.Mesh1->HowMany;
  std::filesystem::remove(file);
}


BENCHMARK(BM_ContourLinesForExport)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_Export, LandXml, &WriteXml, "xml")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_Export, Dxf, &WriteDxfFile, "dxf")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_Export, PdfReport, &WritePdf, "pdf")->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  // The report draws with Qt; no window, so no display either.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
