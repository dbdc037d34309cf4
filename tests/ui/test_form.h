#pragma once
// The main window with its dialogs answered by the test: files to choose are
// queued, message boxes are recorded instead of shown.
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <string>
#include <vector>

#include "ui/Unit1.h"

class TestForm : public TForm1 {
 public:
  QStringList files_to_choose;  // answers of the open dialog; empty = cancel
  QStringList pdf_files_to_choose;  // answers of the print's file dialog; empty = cancel
  QStringList errors;
  QStringList error_details;  // the file each report names, empty when none
  int coincidence_boxes = 0;
  int printer_setups = 0;
  int runs = 0;
  bool real_runs = true;  // false: count the runs without computing
  int printer_installed = -1;  // 0 or 1 answers for the platform; -1 asks it
  // The import dialog: how often it was asked, what it proposed, and its
  // answers (columns as "P,N,E,Z,C"; empty = cancel; none queued = accept
  // the proposal).
  int import_dialogs = 0;
  zelmaro::ImportLayout import_proposed;
  std::vector<std::pair<zelmaro::Separator, std::string>> import_answers;

  void ToolButton1Click() override {
    ++runs;
    if (real_runs) TForm1::ToolButton1Click();
  }

 protected:
  QString ChooseOpenFile() override {
    return files_to_choose.isEmpty() ? QString() : files_to_choose.takeFirst();
  }
  void ShowError(const QString& text, const QString& detail) override {
    errors << text;
    error_details << detail;
  }
  bool PrinterInstalled() override {
    return printer_installed < 0 ? TForm1::PrinterInstalled() : printer_installed != 0;
  }
  QString ChoosePdfFile() override {
    return pdf_files_to_choose.isEmpty() ? QString() : pdf_files_to_choose.takeFirst();
  }
  void ShowCoincidenceMessage() override { ++coincidence_boxes; }
  bool ChooseImportLayout(const QString&, const std::string&, const zelmaro::DetectedLayout&,
                          zelmaro::ImportLayout& layout) override {
    ++import_dialogs;
    import_proposed = layout;
    if (import_answers.empty()) return true;
    const auto [separator, columns] = import_answers.front();
    import_answers.erase(import_answers.begin());
    std::string reason;
    layout.separator = separator;
    return !columns.empty() && zelmaro::ParseColumns(columns, layout.columns, reason);
  }
  // Unsaved grid edits are dropped, an export with a foreign extension is
  // cancelled, unless a test answers otherwise.
  EditsAnswer AskSaveEdits() override { return EditsAnswer::Discard; }
  QString AskExportFormat(const QString&) override { return QString(); }
  void RunPrinterSetup() override { ++printer_setups; }
};

struct PointLine {
  int nr;
  int code;
  double y, x, z;
};

// Writes a point file in the usual column layout and returns its path.
inline QString WritePointFile(const QTemporaryDir& dir, const QString& name,
                              const std::vector<PointLine>& points) {
  const QString path = dir.filePath(name);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return QString();
  for (const PointLine& p : points) {
    file.write(QString::asprintf("%16d %5d %12.3f %12.3f %10.3f\r\n", p.nr, p.code, p.y, p.x, p.z)
                   .toLatin1());
  }
  return path;
}

// A small survey: four reference points and five terrain points on a
// 10 m square, with heights from z_low to z_high.
inline std::vector<PointLine> SquareSurvey(double z_low, double z_high) {
  const double mid = (z_low + z_high) / 2;
  return {
      {1, 1, 100, 200, z_low},          {2, 1, 110, 200, z_low + 1},
      {3, 1, 110, 210, z_low + 2},      {4, 1, 100, 210, z_low + 0.5},
      {11, 0, 100, 200, mid},           {12, 0, 110, 200, mid + 1},
      {13, 0, 110, 210, z_high},        {14, 0, 100, 210, mid - 1},
      {15, 0, 105, 205, mid + 2},
  };
}

// Shows the window and waits until it is the active window.
inline bool ShowActive(QWidget& w) {
  w.show();
  w.activateWindow();
  return QTest::qWaitForWindowActive(&w);
}
