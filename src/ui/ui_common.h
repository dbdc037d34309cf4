#pragma once
// Small helpers both windows share.
#include <QFont>
#include <QString>
#include <exception>

class QWidget;

namespace zelmaro::ui {

// "Tahoma" at 8 points with the pixel height 11 of the designed layout, so
// the fixed positions fit whatever the screen's resolution.
QFont TahomaFont(bool bold = false);
QFont CourierFont();

// Moves a top-level window so that its frame stands in the middle of the
// screen it is on, or of the screen's work area (the desktop without panels).
void CentreOnScreen(QWidget* window, bool work_area = false);

// The German text of a failure that ended a command.
QString ErrorText(const std::exception& e);

}  // namespace zelmaro::ui
