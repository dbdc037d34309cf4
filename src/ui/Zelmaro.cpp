// The program's main block: the main window first, then the hidden info
// window, then the message loop. Closing the main window ends the program.
#include <QApplication>
#include <QStyleFactory>

#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/ui_common.h"
#include "text/temp_files.h"

int main(int argc, char** argv) {
  zelmaro::StopSignalsRemoveTempFiles();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Zelmaro"));
  QApplication::setOrganizationName(QStringLiteral("Zelmaro"));
  if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"))) QApplication::setStyle(style);
  QApplication::setFont(zelmaro::ui::TahomaFont());
  zelmaro::ui::LoadGermanTranslations();

  TForm1 Form1;
  TForm2 Form2;
  Form1.SetInfoWindow(&Form2);

  zelmaro::ui::CentreOnScreen(&Form1, true);
  Form1.show();
  zelmaro::ui::CentreOnScreen(&Form1, true);  // now with the frame
  Form1.activateWindow();
  return app.exec();
}
