#pragma once
// The computation run: point file -> both horizons -> protocol file, protocol
// pane and result fields. Also the mass balance that repeats runs.
#include <memory>
#include <string>
#include <vector>

#include "text/errors.h"

#include "volume/number_field.h"
#include "volume/run_state.h"

namespace zelmaro {

enum class ResultField { EditA0, EditM0, EditA1, EditM1, EditA2, EditM2 };

// A run's protocol lines, shared by whoever keeps them.
using ProtocolLines = std::shared_ptr<const std::vector<std::string>>;

// What a run needs from the window (or from the command line, or a test).
class RunHost {
 public:
  virtual ~RunHost() = default;
  virtual std::string PointFileName() = 0;       // text of EditPunktDat
  virtual std::string ProjectDesignation() = 0;  // text of EditBem
  virtual double ReferenceHeight() = 0;          // value of NumberBoxH0
  virtual std::string ReferenceHeightText() = 0; // display text of NumberBoxH0
  // The run makes a new protocol: ShowProtocol follows on every way out of
  // it, so what a host keeps of the former protocol for its pane may go.
  virtual void ProtocolBegins() {}
  // Replaces the protocol pane's content with these lines (the pane is
  // cleared by the run and filled in one step).
  virtual void ShowProtocol(const std::vector<std::string>& lines) = 0;
  // Right after ShowProtocol the run hands the same lines over to hosts
  // that keep them (a record of the run, a pane filled when it is shown),
  // one list for all of them, so that they are never copied.
  virtual void KeepProtocol(const ProtocolLines& lines) { (void)lines; }
  // False where no pane shows the protocol (the command line): the run then
  // keeps no lines for it and ShowProtocol gets none.
  virtual bool ShowsProtocol() { return true; }
  // False where nothing shows or exports the run's cut and fill (the command
  // line without JSON): the run then leaves RunState::cutFill not valid
  // instead of computing it.
  virtual bool ShowsCutFill() { return true; }
  // False where nothing reads a horizon's mesh once its table is written
  // (the command line's run without JSON: no plot, no cut and fill, no later
  // run that reuses it): the run then lets each mesh go right after its
  // table, which leaves the terrain's triangulation the reference mesh's
  // memory. The workspace's meshes are empty after such a run.
  virtual bool KeepsMeshes() { return true; }
  // True where the figures are worth having without their protocol file
  // (the window shows them in its fields and pane): a protocol that cannot
  // be created then ends the run with EProtocolNotWritten after every
  // result is out, instead of before anything is computed.
  virtual bool RunsWithoutProtocolFile() { return false; }
  virtual void SetResultField(ResultField field, const std::string& text) = 0;
  // "INCIRCUM - F - Points are coincident !!" during a triangulation.
  virtual void Coincidence() = 0;
  // What a run is busy with when that may take a while ("Dreiecksvermaschung
  // Gelände …"), called on the run's own thread; the window shows it.
  virtual void Progress(const std::string& text) { (void)text; }
};

// The protocol file's name: the point file name without its last three
// characters, followed by "LST". A name of fewer than three characters
// (the folder does not count) gets ".LST" appended: "sub/ab" has the
// protocol "sub/ab.LST", beside it. An empty name gives "LST".
std::string ProtocolFileName(const std::string& point_file);
// True when the point file's own name ends in "LST" (any letter case), or
// when the protocol's name is a link to the point file: the protocol would
// replace it before it is read, so the run refuses it.
bool ProtocolWouldOverwrite(const std::string& point_file);
// The German message of that refusal, empty when the run may go ahead.
std::string OwnProtocolRefusal(const std::string& point_file);

// The line a failed run adds to its report: the protocol file on disk is the
// former one, whole, or none.
inline constexpr const char* kNoProtocolWritten = "Es wurde keine Protokolldatei geschrieben.";

// A run whose results are all out but whose protocol file could not be
// created; names that file and the reason.
class EProtocolNotWritten : public EInOutError {
 public:
  EProtocolNotWritten(const EInOutError& cause, const std::string& protocol_file);
};

struct Horizon;
// The part of the boundary the horizon's mesh does not cover after the last
// run (0 without a boundary).
double UncoveredArea(const RunState& ws, const Horizon& horizon);

// One computation run (ToolButton1Click). Throws the German error of a
// failure after leaving what the failure leaves.
void ToolButton1Click(RunState& ws, RunHost& host);

}  // namespace zelmaro
