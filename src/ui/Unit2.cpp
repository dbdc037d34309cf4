#include "ui/Unit2.h"

#include <QGuiApplication>
#include <QKeySequence>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTextEdit>
#include <algorithm>

#include "ui/ui_common.h"

TForm2::TForm2(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("Programminfo"));
  setFont(zelmaro::ui::TahomaFont());
  // The main window alone ends the program; this one only hides.
  setAttribute(Qt::WA_QuitOnClose, false);
  // The text keeps the designed 438 x 275; a row with the close button
  // stands below it.
  resize(438, 275 + kButtonRow);

  RichEdit1 = new QTextEdit(this);
  RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
  RichEdit1->setAcceptRichText(false);
  RichEdit1->setFont(zelmaro::ui::TahomaFont());
  RichEdit1->setLineWrapMode(QTextEdit::WidgetWidth);
  RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QPalette pal = RichEdit1->palette();
  pal.setColor(QPalette::Base, QColor(0, 255, 255));
  RichEdit1->setPalette(pal);
  RichEdit1->setPlainText(InfoLines().join(QLatin1Char('\n')));
  RichEdit1->setGeometry(TextRect());

  ButtonClose = new QPushButton(QStringLiteral("Schließen"), this);
  ButtonClose->setObjectName(QStringLiteral("ButtonClose"));
  ButtonClose->setFont(zelmaro::ui::TahomaFont());
  connect(ButtonClose, &QPushButton::clicked, this, &QWidget::close);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WidgetWithChildrenShortcut);
  connect(escape, &QShortcut::activated, this, &QWidget::close);
  PlaceButton();
}

QRect TForm2::TextRect() const { return QRect(0, 0, width(), std::max(0, height() - kButtonRow)); }

void TForm2::PlaceButton() {
  constexpr int kWidth = 80, kHeight = 24, kMargin = 6;
  ButtonClose->setGeometry(width() - kWidth - kMargin, height() - kButtonRow + (kButtonRow - kHeight) / 2,
                           kWidth, kHeight);
}

QStringList TForm2::InfoLines() {
  return {
      QStringLiteral("Programm zur Berechnung von Massen nach dem Prismenverfahren."),
      QStringLiteral("Die Nutzung ist frei und erfolgt auf eigene Verantwortung."),
      QStringLiteral("Für die Richtigkeit der Ergebnisse wird keine Gewähr übernommen."),
      QStringLiteral("Die Punktdaten werden in der Form"),
      QStringLiteral("Punktnummer Code              Y                       X              Z"),
      QStringLiteral(" 64                     9    3486946.169  5656820.914    286.684"),
      QStringLiteral("eingelesen."),
      QStringLiteral("Die Dateiendung wird  zweckmäßig mit .ASC gewählt."),
      QStringLiteral("Code  0 bezeichnet einen Punkt des Deckgeländes."),
      QStringLiteral("Code  1 beteichnet einen Punkt des Bezugshorizonts."),
      QStringLiteral("Wenn Punkte gleiche Koordinaten haben sollte Code 1 vor Code 0 gelesen werden."),
      QStringLiteral("Das Programm führt eine automatische Dreiecksvermaschung für beide Horizonte durch."),
      QStringLiteral("Es ist zu beachten, dass Deckgelände und Bezugshorizont deckungsgleich sind."),
      QStringLiteral("Die Bezugshöhe kann so verschoben werden, dass ein Massenausgleich für den"),
      QStringLiteral("Bezugshorizont oder für das Gelände erreicht wird."),
      QStringLiteral("Eine Protokolldatei mit der Endung .LST wird automatisch erzeugt."),
      QString(),
  };
}

void TForm2::ShowInfo() {
  if (!isVisible()) {
    // Centred before showing, and again once the frame is known.
    zelmaro::ui::CentreOnScreen(this);
    show();
    zelmaro::ui::CentreOnScreen(this);
  }
  raise();
  activateWindow();
}

void TForm2::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  RichEdit1->setGeometry(TextRect());
  PlaceButton();
}
