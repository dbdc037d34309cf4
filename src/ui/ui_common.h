#pragma once
// Small helpers both windows share.
#include <QColor>
#include <QFont>
#include <QString>
#include <exception>

class QTableWidget;
class QTableWidgetItem;
class QWidget;

namespace zelmaro::ui {

// The one setting of the main window remembered between runs besides the
// point files: "Randdreiecke ergänzen".
inline const QString kCompleteOutlineKey = QStringLiteral("Vermaschung/RanddreieckeErgaenzen");

// "Tahoma" at 8 points with the pixel height 11 of the designed layout, so
// the fixed positions fit whatever the screen's resolution.
QFont TahomaFont(bool bold = false);
QFont CourierFont();

// Moves a top-level window so that its frame stands in the middle of the
// screen it is on, or of the screen's work area (the desktop without panels).
void CentreOnScreen(QWidget* window, bool work_area = false);

// The German text of a failure that ended a command.
QString ErrorText(const std::exception& e);
// What the error report shows beside it: the file concerned, when the
// failure names one.
QString ErrorDetail(const std::exception& e);

// Shows in a number field whether its text computes: red digits for a
// negative number, and red on a tinted ground for a text that is no number
// (nothing is computed for it).
void ShowNumberState(QWidget* field, bool is_number, bool negative);

// A cell of the point grid's "ID" column: fixed, shown in the header's
// colour and not editable.
QTableWidgetItem* FixedCell(const QTableWidget* grid, const QString& text = QString());

// Qt's own German texts for the standard dialogs and message boxes, whatever
// the user's language settings. Returns false when they are not installed
// (the dialogs then speak English).
bool LoadGermanTranslations();

}  // namespace zelmaro::ui
