// Survey files in other layouts than the program's own point file: the
// import dialog before a chosen file is read, and what the reading said.
#include <QFile>
#include <QStatusBar>
#include <string>

#include "points/reader.h"
#include "text/errors.h"
#include "ui/ImportDialog.h"
#include "ui/Unit1.h"

namespace {
// Enough to find the layout, and to tell a point file from anything else:
// a megabyte without one line that gives a point is no survey.
constexpr qint64 kHeadBytes = 1 << 20;
constexpr size_t kDetectBytes = 64 * 1024;
}  // namespace

void TForm1::ImportPointFile() {
  import_asked_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{import_asked_};
  ChoosePointFile(false);
}

bool TForm1::PrepareImport(const QString& file_name, bool ask) {
  QFile file(file_name);
  // What cannot be read is reported by the reading itself.
  if (!file.open(QIODevice::ReadOnly)) return true;
  const QByteArray bytes = file.read(kHeadBytes);
  std::string head(bytes.constData(), static_cast<size_t>(bytes.size()));
  const bool whole = file.atEnd();
  // The head's last line may be cut off.
  if (const size_t end = head.find_last_of("\r\n"); !whole && end != std::string::npos)
    head.erase(end + 1);

  const zelmaro::DetectedLayout detected = zelmaro::DetectLayout(std::string_view(head).substr(0, kDetectBytes));
  zelmaro::PointTable probe;
  zelmaro::ReadReport report;
  zelmaro::ParsePointFile(head, zelmaro::ImportLayout{}, probe, &report);
  if (report.NotAPointFile()) {
    ShowError(QString::fromStdString(
                  zelmaro::ReadFailureMessage(zelmaro::ReadResult::NotPointFile, file_name.toStdString())),
              file_name);
    return false;
  }
  if (!ask && zelmaro::IsPointFileLayout(detected.layout)) {
    ws.import_layout = {};
    ws.import_file.clear();
    return true;
  }
  zelmaro::ImportLayout layout = detected.layout;
  RememberedLayout(detected, layout);
  if (!ChooseImportLayout(file_name, head, detected, layout)) return false;
  RememberLayout(detected, layout);
  ws.import_layout = layout;
  ws.import_file = QFile::encodeName(file_name).toStdString();
  return true;
}

bool TForm1::ChooseImportLayout(const QString& file_name, const std::string& head,
                                const zelmaro::DetectedLayout& detected,
                                zelmaro::ImportLayout& layout) {
  ImportDialog dialog(this, file_name, head, detected, layout);
  if (dialog.exec() != QDialog::Accepted) return false;
  layout = dialog.Layout();
  return true;
}

void TForm1::ShowReadReport(const QString& file_name) {
  if (ws.read_result == zelmaro::ReadResult::NotPointFile)
    throw zelmaro::ELimitError(
        zelmaro::ReadFailureMessage(ws.read_result, file_name.toStdString()));
  if (ws.read_result != zelmaro::ReadResult::Ok) return;
  const std::string note = ws.read_report.Note();
  if (!note.empty()) StatusBar1->showMessage(QString::fromStdString(note));
}
