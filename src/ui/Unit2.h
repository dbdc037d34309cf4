#pragma once
// The info window: a short description of the program, the point file
// layout and the point codes. Created hidden at start and kept until the
// program ends; closing only hides it, so edits in the text stay.
#include <QStringList>
#include <QWidget>

class QPushButton;
class QTextEdit;

class TForm2 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm2(QWidget* parent = nullptr);

  // The 17 lines the window shows at program start, the last one empty.
  static QStringList InfoLines();

  // Shows the window centred on the screen, or brings it to the front when
  // it is shown already.
  void ShowInfo();

  QTextEdit* RichEdit1 = nullptr;
  // "Schließen" below the text; Escape does the same.
  QPushButton* ButtonClose = nullptr;
  static constexpr int kButtonRow = 36;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QRect TextRect() const;
  void PlaceButton();
};
