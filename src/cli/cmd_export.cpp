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
#include <vector>

#include "cli/cli_host.h"
#include "cli/commands.h"
#include "cli/export_module.h"
#include "cli/options.h"
#include "export/dxf.h"
#include "export/export_input.h"
#include "export/landxml.h"
#include "export/pdf_report.h"
#include "text/atomic_file.h"
#include "text/errors.h"
#include "volume/number_field.h"
#include "volume/run.h"
#include "workspace/workspace.h"

namespace zelmaro::cli {

namespace {

// Qt's notes about its own set-up (a missing runtime folder and the like)
// are no concern of a batch call; its errors still go to stderr.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
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
                             {"--dxf", true}, {"--pdf", true}},
                            o))
    return rc;
  double h0 = 0, interval = 0.1;
  bool has_h0 = false, has_interval = false;
  if (int rc = NumberOption(o, "--h0", "keine Höhe", h0, has_h0)) return rc;
  if (int rc = NumberOption(o, "--interval", "kein Höhenlinienintervall", interval, has_interval))
    return rc;
  // Checked before the run writes the protocol.
  if (!(interval >= 0)) {
    std::fprintf(stderr, "%s\n", IntervalNotPositive(o.Value("--interval")).c_str());
    return 1;
  }

  const Output outputs[] = {
      {"--landxml", "LandXML", [](const ExportInput& in, const std::string& f) { WriteLandXml(in, f); }},
      {"--dxf", "DXF", [](const ExportInput& in, const std::string& f) { WriteDxf(in, f); }},
      {"--pdf", "PDF", [](const ExportInput& in, const std::string& f) { WritePdfReport(in, f); }},
  };
  // The protocol's name and the targets as the system will resolve them, so
  // that "x.pdf", "./x.pdf" and a not yet existing protocol compare equal.
  auto place = [](const std::string& name) {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::weakly_canonical(name, ec);
    return ec ? std::filesystem::absolute(name, ec).lexically_normal() : p;
  };
  const std::string protocol = ProtocolFileName(o.file);
  std::vector<std::filesystem::path> taken;
  bool any = false;
  for (const Output& out : outputs) {
    if (!o.Has(out.option)) continue;
    any = true;
    const std::string target = o.Value(out.option);
    if (target.empty()) {
      std::fprintf(stderr, "Für %s ist kein Dateiname angegeben.\n", out.option);
      return 1;
    }
    // The run writes the protocol and reads the point file; an export over
    // either would destroy what it comes from.
    if (target == o.file || SameFile(target, o.file) || SameFile(target, protocol) ||
        place(target) == place(protocol) || place(target) == place(o.file)) {
      std::fprintf(stderr,
                   "Die Ausgabedatei '%s' ist die Punktdatei oder ihre Protokolldatei und wird "
                   "nicht überschrieben.\n",
                   target.c_str());
      return 1;
    }
    for (const std::filesystem::path& other : taken)
      if (place(target) == other) {
        std::fprintf(stderr,
                     "Die Ausgabedatei '%s' ist für zwei Ausgaben angegeben; jede Ausgabe "
                     "braucht eine Datei für sich.\n",
                     target.c_str());
        return 1;
      }
    for (const Output& other : outputs)
      if (other.option != out.option && o.Has(other.option) && !o.Value(other.option).empty() &&
          SameFile(target, o.Value(other.option))) {
        std::fprintf(stderr,
                     "Die Ausgabedatei '%s' ist für zwei Ausgaben angegeben; jede Ausgabe "
                     "braucht eine Datei für sich.\n",
                     target.c_str());
        return 1;
      }
    taken.push_back(place(target));
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
  if (host.coincidences > 0)
    std::fprintf(stderr, "INCIRCUM - F - Points are coincident !! (%ld mal)\n", host.coincidences);

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
  const ExportInput in = MakeExportInput(ws, run, interval, LocalTimeNow());
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
  return rc;
}

}  // namespace
}  // namespace zelmaro::cli

extern "C" __attribute__((visibility("default"))) int zelmaro_export_command(
    int argc, const char* const* argv) noexcept {
  using namespace zelmaro::cli;
  return Guarded([&] { return Export(Args(argv, argv + argc)); });
}
