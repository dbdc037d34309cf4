#pragma once
// The import of a survey file whose lines are not laid out as the program's
// own point file: the file's first lines, the layout found in them, and the
// separator and column order to read it with, tried at once on those lines.
#include <QDialog>
#include <QString>
#include <string>

#include "points/layout.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QTableWidget;
class QPushButton;

class ImportDialog : public QDialog {
  Q_OBJECT

 public:
  // head: the file's first bytes (Windows-1252); proposal: the layout to
  // start with (the one found, or the one chosen last for files like it).
  ImportDialog(QWidget* parent, const QString& file_name, const std::string& head,
               const zelmaro::DetectedLayout& detected, const zelmaro::ImportLayout& proposal);

  // The layout as set; valid when the dialog was accepted.
  zelmaro::ImportLayout Layout() const;

  // The separators in the order of the list.
  static constexpr zelmaro::Separator kSeparators[] = {
      zelmaro::Separator::Space, zelmaro::Separator::Semicolon, zelmaro::Separator::Comma,
      zelmaro::Separator::Tab};

 private:
  // Reads the first lines with the layout as set and shows the points.
  void Preview();

  std::string head_;
  QComboBox* separator_ = nullptr;
  QComboBox* columns_ = nullptr;
  QTableWidget* points_ = nullptr;
  QLabel* note_ = nullptr;
  QPushButton* ok_ = nullptr;
};

// The settings key under which the layout chosen for files like this one is
// kept, and the layout kept there (false when there is none).
QString ImportSettingsKey(const zelmaro::DetectedLayout& detected);
bool RememberedLayout(const zelmaro::DetectedLayout& detected, zelmaro::ImportLayout& layout);
void RememberLayout(const zelmaro::DetectedLayout& detected, const zelmaro::ImportLayout& layout);
