#pragma once
// The program's own pictures: the tool bar icons (16 x 16) and the mass
// balance icon (32 x 32), set pixel by pixel from character pictures so that
// they need no image files and no painting code.
#include <QIcon>
#include <QImage>
#include <QStringList>

namespace zelmaro::ui {

enum class IconId {
  Compute,     // "Massen berechnen"
  Pan,         // "Bild Verschieben"
  Zoom,        // "Bild zoomenm"
  Numbers,     // "Punktnummern ein/aus"
  Heights,     // "Höhen anzeigen"
  Mesh0,       // "Vermaschung Bezugshorizont"
  Mesh1,       // "Vermaschung Gelände"
  Isolines,    // "Höhenlinien"
  OutputArea,  // "Ausgabebereich anzeigen"
  PrinterSetup,
  Print,
  Save,
  Info,
  Exit,
  Outline,     // "Randdreiecke ergänzen"
  ZeroLines,   // "Nulllinien anzeigen"
  Balance,     // 32 x 32, the two "Massenausgleich" buttons
};

// The rows of a character picture; every row has the picture's width.
const QStringList& IconPicture(IconId id);
// The picture as an image: '.' is transparent, every other character a colour
// of the small palette in icons.cpp. Unknown characters become magenta so
// that a typing error shows at once.
QImage IconImage(IconId id);
QIcon MakeIcon(IconId id);

}  // namespace zelmaro::ui
