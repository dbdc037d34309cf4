// The plot page driven through the real image: what the bitmap shows, the
// mouse on the image, the wheel on the window, printing into a PDF file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>
#include <cmath>

#include "test_form.h"

namespace {

struct PlotPage {
  QTemporaryDir dir;
  TestForm form;
  explicit PlotPage(const std::vector<PointLine>& points = SquareSurvey(280, 300)) {
    EXPECT_TRUE(ShowActive(form));
    form.files_to_choose = {WritePointFile(dir, "halde.asc", points)};
    form.BitBtn1->click();  // reads, fits the view and runs
    QTabBar* bar = form.PageControl1->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(2).center());
  }
  const zelmaro::ViewValues& View() { return form.Work().view; }
  // The pixel of a survey point as the plot rounds it.
  QPoint Pixel(double x, double y) {
    const auto& v = View();
    return QPoint(static_cast<int>(std::nearbyint((y - v.YOffset) / v.MF)),
                  -static_cast<int>(std::nearbyint((x - v.XOFFset) / v.MF)));
  }
};

int CountColour(const QImage& image, QRgb colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
  return n;
}

bool DarkNear(const QImage& image, QPoint p) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (image.valid(p.x() + dx, p.y() + dy) && qGray(image.pixel(p.x() + dx, p.y() + dy)) < 128)
        return true;
  return false;
}

// A wheel turn as the platform delivers it: it goes from the widget under
// the mouse up to the window unless a widget on the way takes it.
void Wheel(QWidget* over, int angle) {
  const QPointF at(5, 5);
  QWheelEvent event(at, over->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QSpontaneKeyEvent::setSpontaneous(&event);
  qApp->notify(over, &event);  // sendEvent would take the spontaneity away
}

}  // namespace

TEST(PlotWindow, BitmapHasThePageSizeAndShowsPointsMeshesAndContours) {
  PlotPage p;
  TestForm& f = p.form;
  const QImage& bitmap = f.PlotBitmap();
  EXPECT_EQ(bitmap.size(), f.PageSize());
  EXPECT_EQ(f.Imagepp->pixmap().size(), f.PageSize());  // its lowest 32 rows are hidden
  EXPECT_EQ(f.Imagepp->height(), f.PageSize().height() - 32);
  EXPECT_EQ(bitmap.pixel(bitmap.width() - 1, bitmap.height() - 1), qRgb(255, 255, 255));
  // North up, east right: the north-east corner point at the top right.
  const QPoint ne = p.Pixel(210, 110), sw = p.Pixel(200, 100);
  EXPECT_GT(ne.x(), sw.x());
  EXPECT_LT(ne.y(), sw.y());
  EXPECT_TRUE(DarkNear(bitmap, ne));
  EXPECT_TRUE(DarkNear(bitmap, sw));
  EXPECT_EQ(CountColour(bitmap, qRgb(255, 0, 0)), 0);

  f.ToolButtonMesh1->click();
  EXPECT_GT(CountColour(f.PlotBitmap(), qRgb(255, 0, 0)), 20);
  EXPECT_EQ(CountColour(f.PlotBitmap(), qRgb(0, 0, 255)), 0);
  f.ToolButtonMesh0->click();
  // The terrain, drawn later, covers the reference square's edges.
  EXPECT_EQ(CountColour(f.PlotBitmap(), qRgb(0, 0, 255)), 0);
  f.ToolButtonMesh1->click();
  EXPECT_GT(CountColour(f.PlotBitmap(), qRgb(0, 0, 255)), 20);
  EXPECT_EQ(CountColour(f.PlotBitmap(), qRgb(255, 0, 0)), 0);
  f.ToolButtonMesh1->click();

  // Contour lines come at once, at the interval of the page.
  f.ToolButtonIsoline->click();
  EXPECT_GT(CountColour(f.PlotBitmap(), qRgb(128, 0, 0)), 20);
  EXPECT_EQ(f.Work().Mesh1->Contour.Step, 0.1);
  f.EditHLIntervall->setText(QStringLiteral("1"));
  f.ToolButtonMesh1->click();  // terrain off
  f.ToolButtonMesh1->click();  // and on again: a redraw
  EXPECT_GT(CountColour(f.PlotBitmap(), qRgb(128, 0, 0)), 20);
  EXPECT_EQ(f.Work().Mesh1->Contour.Step, 1.0);
  EXPECT_TRUE(f.errors.isEmpty());
}

TEST(PlotWindow, ZoomModeButtonsZoomAboutThePressAndPickThePoint) {
  PlotPage p;
  TestForm& f = p.form;
  f.ToolButtonZoom->click();
  const double mf = p.View().MF;
  const QPoint at = p.Pixel(210, 110) + QPoint(2, 1);
  const double world_y = p.View().YOffset + at.x() * mf;
  QTest::mousePress(f.Imagepp, Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_DOUBLE_EQ(p.View().MF, mf / 1.25);
  EXPECT_NEAR(p.View().YOffset + at.x() * p.View().MF, world_y, 1e-9);
  // Point 3 (reference) and 13 (terrain) share the place; the earlier wins.
  EXPECT_EQ(f.StatusBar1->currentMessage(),
            QStringLiteral("         3    110.000    210.000  282.000   1"));
  QTest::mouseRelease(f.Imagepp, Qt::LeftButton, Qt::NoModifier, at);
  QTest::mousePress(f.Imagepp, Qt::RightButton, Qt::NoModifier, at);
  QTest::mouseRelease(f.Imagepp, Qt::RightButton, Qt::NoModifier, at);
  EXPECT_DOUBLE_EQ(p.View().MF, mf);
  // Two quick clicks are two steps, though the second comes as a double click.
  QTest::mouseDClick(f.windowHandle(), Qt::LeftButton, Qt::NoModifier, f.Imagepp->mapTo(&f, at));
  EXPECT_DOUBLE_EQ(p.View().MF, mf / 1.25 / 1.25);
  QTest::mousePress(f.Imagepp, Qt::RightButton, Qt::NoModifier, at);
  QTest::mousePress(f.Imagepp, Qt::RightButton, Qt::NoModifier, at);
  EXPECT_NEAR(p.View().MF, mf, 1e-15);
  QTest::mousePress(f.Imagepp, Qt::MiddleButton, Qt::NoModifier, p.Pixel(200, 100));
  EXPECT_DOUBLE_EQ(p.View().MF, mf);
  EXPECT_EQ(f.StatusBar1->currentMessage(),
            QStringLiteral("         1    100.000    200.000  280.000   1"));

  // A tool tip or menu entry does not replace the picked point.
  QStatusTipEvent tip(QStringLiteral(""));
  QApplication::sendEvent(&f, &tip);
  EXPECT_FALSE(f.StatusBar1->currentMessage().isEmpty());
}

TEST(PlotWindow, PanModeMovesThePictureOnRelease) {
  PlotPage p;
  TestForm& f = p.form;
  f.ToolButtonPan->click();
  const zelmaro::ViewValues before = p.View();
  const QPoint ne = p.Pixel(210, 110);
  QTest::mousePress(f.Imagepp, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
  EXPECT_EQ(p.View().XOFFset, before.XOFFset);
  QTest::mouseRelease(f.Imagepp, Qt::LeftButton, Qt::NoModifier, QPoint(150, 120));
  EXPECT_EQ(p.View().MF, before.MF);
  EXPECT_DOUBLE_EQ(p.View().YOffset, before.YOffset - 50 * before.MF);
  EXPECT_DOUBLE_EQ(p.View().XOFFset, before.XOFFset + 20 * before.MF);
  // The picture moved 50 right and 20 down.
  EXPECT_EQ(p.Pixel(210, 110), ne + QPoint(50, 20));
  EXPECT_TRUE(DarkNear(f.PlotBitmap(), ne + QPoint(50, 20)));
}

TEST(PlotWindow, WheelZoomsAboutTheLastPositionOverTheImageOnAnyPage) {
  PlotPage p;
  TestForm& f = p.form;
  QMouseEvent move(QEvent::MouseMove, QPointF(120, 70), f.Imagepp->mapToGlobal(QPointF(120, 70)),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(f.Imagepp, &move);
  EXPECT_EQ(f.MausposX, 120);
  EXPECT_EQ(f.MausposY, 70);
  const zelmaro::ViewValues before = p.View();
  const double world_y = before.YOffset + 120 * before.MF;
  const double world_x = before.XOFFset - 70 * before.MF;

  // The mouse now rests on the tool bar: still about (120, 70).
  Wheel(f.ToolButton1, 120);
  EXPECT_DOUBLE_EQ(p.View().MF, before.MF / 1.25);
  EXPECT_NEAR(p.View().YOffset + 120 * p.View().MF, world_y, 1e-9);
  EXPECT_NEAR(p.View().XOFFset - 70 * p.View().MF, world_x, 1e-9);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // the wait cursor is gone

  // On the protocol page the hidden plot is zoomed but not drawn; showing
  // its page draws it at the new view.
  const QImage zoomed_in = f.PlotBitmap().copy();
  QTabBar* bar = f.PageControl1->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(3).center());
  const qint64 picture = f.PlotBitmap().cacheKey();
  Wheel(f.Imagepp->window(), -120);
  EXPECT_NEAR(p.View().MF, before.MF, 1e-15);
  EXPECT_NEAR(p.View().XOFFset, before.XOFFset, 1e-9);
  EXPECT_EQ(f.PlotBitmap().cacheKey(), picture);
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(2).center());
  EXPECT_NE(f.PlotBitmap().cacheKey(), picture);
  EXPECT_NE(f.PlotBitmap(), zoomed_in);
  EXPECT_TRUE(DarkNear(f.PlotBitmap(), p.Pixel(210, 110)));
}

TEST(PlotWindow, PrintGoesToThePrinterAndLeavesScreenAndScaleAsTheyWere) {
  PlotPage p;
  TestForm& f = p.form;
  f.ToolButtonPNR->click();
  f.ToolButtonMesh1->click();
  f.ToolButtonIsoline->click();
  const QImage screen = f.PlotBitmap().copy();
  const double mf = p.View().MF;
  const QString pdf = p.dir.filePath("plot.pdf");
  f.Printer().setOutputFormat(QPrinter::PdfFormat);
  f.Printer().setOutputFileName(pdf);
  f.printer_installed = 1;
  f.ToolButtonDruck->click();
  EXPECT_TRUE(f.errors.isEmpty()) << f.errors.join(' ').toStdString();
  EXPECT_GT(QFileInfo(pdf).size(), 1000);
  EXPECT_EQ(p.View().MF, mf);
  EXPECT_EQ(f.Display, 0);
  EXPECT_EQ(f.PlotBitmap(), screen);

  // A PDF file that cannot be made: the report names it, and the view is
  // as it was.
  f.Printer().setOutputFileName(p.dir.filePath("no/such/folder/plot.pdf"));
  f.ToolButtonDruck->click();
  EXPECT_EQ(f.errors, QStringList{QStringLiteral("E/A-Fehler 2")});
  EXPECT_EQ(f.error_details, QStringList{"Datei: " + p.dir.filePath("no/such/folder/plot.pdf") +
                                         " (die Datei oder ihr Ordner ist nicht vorhanden)"});
  EXPECT_EQ(p.View().MF, mf);
  EXPECT_EQ(f.Display, 0);
  EXPECT_EQ(f.PlotBitmap(), screen);
}

TEST(PlotWindow, OutputAreaFrameFromThePrinterAndAMalformedScale) {
  PlotPage p;
  TestForm& f = p.form;
  f.ToolButton12->click();
  f.EditMasstab->setText(QStringLiteral("2000"));
  const QPrinter& printer = f.Printer();
  auto frame_right = [&] {
    return static_cast<int>(std::nearbyint(printer.width() * 25.4 / printer.logicalDpiX() /
                                           p.View().MF * 2));
  };
  // The fit makes a page of the small survey far wider than the image; out
  // until the frame's right edge lies on it (each step redraws).
  for (int i = 0; i < 60 && frame_right() >= f.PlotBitmap().width() / 2; ++i) f.FormMouseWheelDown();
  f.ToolButtonMesh0->click();  // a redraw
  const int right = frame_right();
  EXPECT_EQ(f.PlotMF, 2);
  ASSERT_GT(right, 10);
  const QImage& bitmap = f.PlotBitmap();
  ASSERT_LT(right, bitmap.width());
  // Dashed: some of the frame's top row and of its last column are red, the
  // column beyond it is not.
  int red = 0;
  for (int y = 0; y < std::min(bitmap.height(), 100); ++y) red += bitmap.pixel(right - 1, y) == qRgb(255, 0, 0);
  EXPECT_GT(red, 10);
  for (int y = 0; y < bitmap.height(); ++y) EXPECT_NE(bitmap.pixel(right, y), qRgb(255, 0, 0)) << y;
  EXPECT_EQ(bitmap.pixel(2, 0), qRgb(255, 0, 0));

  f.EditMasstab->setText(QStringLiteral("zwei"));
  f.ToolButtonMesh0->click();
  EXPECT_EQ(f.errors, QStringList{QStringLiteral("'zwei' ist kein gültiger Gleitkommawert")});
  // Everything but the frame is drawn.
  EXPECT_EQ(CountColour(f.PlotBitmap(), qRgb(255, 0, 0)), 0);
  EXPECT_TRUE(DarkNear(f.PlotBitmap(), p.Pixel(210, 110)));
  EXPECT_EQ(f.PlotMF, 2);
}

TEST(PlotWindow, ExtremeZoomDrawsWithoutGarbage) {
  PlotPage p;
  TestForm& f = p.form;
  f.ToolButtonMesh0->click();
  f.ToolButtonMesh1->click();
  f.ToolButtonIsoline->click();
  f.ToolButtonZoom->click();
  // Deep into one corner: the meshes reach far beyond the image.
  const QPoint at = p.Pixel(205, 105);
  // The lines from the centre point to the corners, 5 m and 7 m long, end
  // some hundred million pixels away and still cross the image.
  for (int i = 0; i < 70; ++i) QTest::mouseClick(f.Imagepp, Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_LT(p.View().MF, 1e-8);
  EXPECT_GT(7 / p.View().MF, 5e8);
  EXPECT_TRUE(f.errors.isEmpty());
  EXPECT_EQ(f.PlotBitmap().size(), f.PageSize());
  EXPECT_GT(CountColour(f.PlotBitmap(), qRgb(255, 0, 0)), 100);
  // The zoomed-in point is still where it was pressed.
  EXPECT_TRUE(DarkNear(f.PlotBitmap(), at));
  // Farther in, the corners lie beyond any image: those lines are left out.
  for (int i = 0; i < 20; ++i) QTest::mouseClick(f.Imagepp, Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_TRUE(f.errors.isEmpty());
  EXPECT_TRUE(DarkNear(f.PlotBitmap(), at));
}
