#pragma once
// The export's choices in the window: the PDF report's protocol appendix,
// the DXF drawing's contents, author, client and EPSG code. They are
// remembered between sessions.
#include <QDialog>
#include <QString>

#include "export/export_options.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace zelmaro::ui {

// The choices of the last export (defaults before the first).
ExportOptions LoadExportOptions();
void SaveExportOptions(const ExportOptions& options);

class ExportOptionsDialog : public QDialog {
 public:
  // format: "xml", "dxf" or "pdf"; only that format's choices are shown
  // besides the common ones.
  ExportOptionsDialog(QWidget* parent, const QString& format, const ExportOptions& options);
  // The choices as the fields hold them; false with the reason in why when
  // the EPSG code is no code.
  bool Options(ExportOptions& out, QString& why) const;

  QComboBox* protocol = nullptr;
  QCheckBox* labels = nullptr;
  QCheckBox* triangles = nullptr;
  QCheckBox* contours = nullptr;
  QLineEdit* author = nullptr;
  QLineEdit* client = nullptr;
  QLineEdit* epsg = nullptr;

 private:
  void accept() override;
  ExportOptions start_;
};

}  // namespace zelmaro::ui
