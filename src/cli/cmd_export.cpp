// export: one computation run, then its surfaces, drawing and report as
// LandXML, DXF and PDF for other programs and for the client. This file is
// the export module, which zelmaro-cli loads for this command alone
// (export_module.h says why).
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_host.h"
#include "cli/commands.h"
#include "cli/export_module.h"
#include "cli/options.h"
#include "export/dxf.h"
#include "export/export_facts.h"
#include "export/export_input.h"
#include "export/export_options.h"
#include "export/landxml.h"
#include "export/pdf_report.h"
#include "text/atomic_file.h"
#include "text/errors.h"
#include "volume/number_field.h"
#include "volume/run.h"
#include "volume/run_record.h"
#include "workspace/workspace.h"

namespace zelmaro::cli {

namespace {

// Qt's notes about its own set-up (a missing runtime folder and the like)
// are no concern of a batch call; its errors still go to stderr.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

// Whether two names mean one file: the same file on disk, or, for files
// not yet there, the same absolute path once "." and ".." are resolved.
bool SameTarget(const std::string& a, const std::string& b) {
  if (a == b || SameFile(a, b)) return true;
  std::error_code ec1, ec2;
  const auto pa = std::filesystem::weakly_canonical(std::filesystem::absolute(a, ec1), ec1);
  const auto pb = std::filesystem::weakly_canonical(std::filesystem::absolute(b, ec2), ec2);
  return !ec1 && !ec2 && pa == pb;
}

struct Output {
  const char* option;
  const char* kind;
  void (*write)(const ExportInput&, const std::string&);
};

int Export(const Args& args) {
  ParsedOptions o;
  if (int rc = ParseOptions(args,
                            {{"--h0", true}, {"--interval", true}, {"--bem", true},
                             {"--complete-outline", false}, {"--landxml", true},
                             {"--dxf", true}, {"--pdf", true}, {"--pdf-protocol", true},
                             {"--author", true}, {"--client", true}, {"--dxf-layers", true},
                             {"--epsg", true}},
                            o))
    return rc;
  double h0 = 0, interval = 0.1;
  bool has_h0 = false, has_interval = false;
  if (int rc = NumberOption(o, "--h0", "keine Höhe", h0, has_h0)) return rc;
  if (int rc = NumberOption(o, "--interval", "kein Höhenlinienintervall", interval, has_interval))
    return rc;
  // Every choice is checked before the run writes its protocol: a refused
  // export leaves no file behind.
  if (!(interval >= 0)) {
    std::fprintf(stderr, "%s\n", IntervalNotPositive(o.Value("--interval")).c_str());
    return 1;
  }
  ExportOptions options;
  if (o.Has("--pdf-protocol") && !ParsePdfProtocol(o.Value("--pdf-protocol"), options.pdf_protocol)) {
    std::fprintf(stderr, "--pdf-protocol erwartet full, summary oder none, nicht '%s'.\n",
                 o.Value("--pdf-protocol").c_str());
    return 1;
  }
  if (o.Has("--dxf-layers") && !ParseDxfLayers(o.Value("--dxf-layers"), options.dxf_layers)) {
    std::fprintf(stderr,
                 "--dxf-layers erwartet eine Auswahl aus labels, triangles und contours (mit "
                 "Komma getrennt) oder all, nicht '%s'.\n",
                 o.Value("--dxf-layers").c_str());
    return 1;
  }
  if (o.Has("--epsg") && !ParseEpsg(o.Value("--epsg"), options.epsg)) {
    std::fprintf(stderr, "--epsg erwartet einen EPSG-Code (eine positive Zahl), nicht '%s'.\n",
                 o.Value("--epsg").c_str());
    return 1;
  }
  options.author = o.Value("--author");
  options.client = o.Value("--client");

  const Output outputs[] = {
      {"--landxml", "LandXML", [](const ExportInput& in, const std::string& f) { WriteLandXml(in, f); }},
      {"--dxf", "DXF", [](const ExportInput& in, const std::string& f) { WriteDxf(in, f); }},
      {"--pdf", "PDF", [](const ExportInput& in, const std::string& f) { WritePdfReport(in, f); }},
  };
  bool any = false;
  std::vector<std::pair<const char*, std::string>> taken;  // earlier targets of this call
  for (const Output& out : outputs) {
    if (!o.Has(out.option)) continue;
    any = true;
    const std::string target = o.Value(out.option);
    if (target.empty()) {
      std::fprintf(stderr, "Für %s ist kein Dateiname angegeben.\n", out.option);
      return 1;
    }
    // Two exports into one file would leave only the last, reported as
    // both.
    for (const auto& [option, other] : taken)
      if (SameTarget(target, other)) {
        std::fprintf(stderr,
                     "%s und %s nennen dieselbe Datei '%s'; jede Ausgabe braucht ihre eigene "
                     "Datei.\n",
                     option, out.option, target.c_str());
        return 1;
      }
    taken.emplace_back(out.option, target);
    // The run writes the protocol and reads the point file; an export over
    // either would destroy what it comes from. The protocol need not exist
    // yet: its name is compared too.
    if (SameTarget(target, o.file) || SameTarget(target, ProtocolFileName(o.file))) {
      std::fprintf(stderr,
                   "Die Ausgabedatei '%s' ist die Punktdatei oder ihre Protokolldatei und wird "
                   "nicht überschrieben.\n",
                   target.c_str());
      return 1;
    }
  }
  if (!any) {
    std::fputs("Keine Ausgabe angegeben: mindestens eine von --landxml, --dxf oder --pdf.\n",
               stderr);
    return 1;
  }

  if (ProtocolWouldOverwrite(o.file)) throw ELimitError(OwnProtocolRefusal(o.file));
  Workspace ws;
  ws.complete_outline = o.Has("--complete-outline");
  if (!ReadPointsOrReport(o, ws)) return 1;
  NumberFieldModel field;
  field.SetValue(has_h0 ? h0 : ws.bounds.MinZ);
  CliHost host(o.file, o.Value("--bem"), field);
  RecordingHost recorder(host);
  ToolButton1Click(ws, recorder);
  ReportCoincidences(host.coincidences);

  // The report is drawn with Qt, which wants an application; there is no
  // window, so no display is needed either.
  std::unique_ptr<QGuiApplication> app;
  if (o.Has("--pdf") && !QGuiApplication::instance()) {
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "zelmaro-cli";
    static char* argv[] = {name, nullptr};
    qInstallMessageHandler(QuietQtMessages);
    app = std::make_unique<QGuiApplication>(argc, argv);
  }

  const RunRecord& run = recorder.Finish(ws.P);
  ExportInput in = MakeExportInput(ws, run, interval, LocalTimeNow());
  in.options = options;
  int rc = 0;
  for (const Output& out : outputs) {
    if (!o.Has(out.option)) continue;
    const std::string target = o.Value(out.option);
    try {
      out.write(in, target);
      std::printf("%s: %s\n", out.kind, target.c_str());
    } catch (const EZelmaroError& e) {
      std::fprintf(stderr, "%s '%s' nicht geschrieben: %s\n", out.kind, target.c_str(),
                   ErrorReport(e).c_str());
      rc = 1;
    }
  }
  // The exports hold one point where the file has several at one place.
  const int64_t merged0 = MergedPoints(in, in.reference), merged1 = MergedPoints(in, in.terrain);
  if (merged0 + merged1 > 0)
    std::printf("Als Duplikat zusammengelegt (gleiche Lage): Bezugshorizont %lld, Gelände %lld "
                "Punkte\n",
                static_cast<long long>(merged0), static_cast<long long>(merged1));
  return rc;
}

}  // namespace
}  // namespace zelmaro::cli

extern "C" __attribute__((visibility("default"))) int zelmaro_export_command(
    int argc, const char* const* argv) noexcept {
  using namespace zelmaro::cli;
  return Guarded([&] { return Export(Args(argv, argv + argc)); });
}
