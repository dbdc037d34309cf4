#include "plot/plot.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>

#include "plot/recording_canvas.h"
#include "workspace/workspace.h"

namespace zelmaro {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using zelmaro::testing::RecordingTarget;

struct Plot {
  Workspace ws;
  uint8_t Display = 0;
  double PlotMF = 0;
  TPlotSettings s;
  RecordingTarget target;

  Plot() {
    ResetToSlotZero(ws.P);
    ws.view = {1, 1000, 500, 0, 0};
  }
  void Add(int nr, double x, double y, double z = 0, int8_t code = 0) {
    ws.P.push_back({nr, x, y, z, code});
  }
  void Draw() { ZeigPPunkte(ws, ws.view, Display, PlotMF, s, target); }
};

std::unique_ptr<Delaunay::TDelaunay> Mesh(std::initializer_list<std::array<double, 3>> xyz) {
  auto m = std::make_unique<Delaunay::TDelaunay>();
  int id = 1;
  for (const auto& v : xyz) m->AddPoint(id++, v[0], v[1], v[2]);
  m->Mesh();
  return m;
}

TEST(ZeigPPunkte, EmptyPlotIsWhiteAndStillShowsTheFrame) {
  Plot p;
  p.ws.P.clear();  // no point file read yet: not even slot 0
  p.s.OutputArea = true;
  p.s.Masstab = "1000";
  p.Draw();
  EXPECT_THAT(p.target.events, ElementsAre("Screen 640x480", "Repaint"));
  // 4800 dots at 600 dpi are 203.2 mm; at 1 m per mm and 1 m per pixel.
  EXPECT_THAT(p.target.screen.log, ElementsAre("FillRect 0 0 640 480 brush=255,255,255",
                                               "Rectangle 0 0 203 279 pen=255,0,0 dashed"));
  EXPECT_EQ(p.PlotMF, 1);
  EXPECT_EQ(p.target.screen.pen_style, TPenStyle::psSolid);  // solid again after the frame
}

TEST(ZeigPPunkte, BoundaryAndBreaklinesInTheirOwnColours) {
  Plot p;
  p.Add(1, 920, 600);
  p.Add(2, 900, 620);
  p.Draw();
  const size_t plain = p.target.screen.log.size();
  p.target.screen.log.clear();
  // Easting 510 .. 530, northing 970 .. 990: columns and rows 10 .. 30.
  p.ws.boundary = std::make_shared<const BoundaryClip>(
      ParseBoundaryText("510 990\n530 990\n530 970\n510 970\n"));
  p.ws.breaklines = std::make_shared<const Breaklines>();
  p.ws.preparedBreaklines.segments = {{1, 2}};
  p.Draw();
  EXPECT_EQ(p.target.screen.log.size(), plain + 2 * 5);
  EXPECT_THAT(p.target.screen.Lines("LineTo"),
              // The ring as the boundary keeps it, turned counter-clockwise.
              ElementsAre("LineTo 120 100 pen=0,128,0", "LineTo 30 30 pen=255,0,255",
                          "LineTo 30 10 pen=255,0,255", "LineTo 10 10 pen=255,0,255",
                          "LineTo 10 30 pen=255,0,255"));
  EXPECT_EQ(p.target.screen.pen_width, 1);
}

TEST(ZeigPPunkte, PointCircleAndLabelOnTheScreen) {
  Plot p;
  p.Add(64, 920, 600, 286.684, 9);  // column 100, row 80
  p.Draw();
  EXPECT_THAT(p.target.screen.Lines("Ellipse"), ElementsAre("Ellipse 99 79 101 81 pen=0,0,0"));
  EXPECT_THAT(p.target.screen.Lines("TextOut"), IsEmpty());

  p.target.screen.log.clear();
  p.s.PNR = true;
  p.Draw();
  EXPECT_THAT(p.target.screen.Lines("TextOut"), ElementsAre("TextOut 110 70 '64' font=Arial/8"));

  p.target.screen.log.clear();
  p.s.PNR = false;
  p.s.Z = true;
  p.Draw();
  EXPECT_THAT(p.target.screen.Lines("TextOut"), ElementsAre("TextOut 110 70 '286.684' font=Arial/8"));
  // The label comes before its circle, the white fill before both.
  EXPECT_EQ(p.target.screen.log.front(), "FillRect 0 0 640 480 brush=255,255,255");
  EXPECT_EQ(p.target.screen.log[1].rfind("TextOut", 0), 0u);
}

TEST(ZeigPPunkte, PrinterLabelStandsOneMillimetreRightAndAbove) {
  Plot p;
  p.Add(7, 920, 600);
  p.s.PNR = true;
  p.s.OutputArea = true;  // never on paper
  p.Display = 1;
  p.Draw();
  EXPECT_THAT(p.target.events, ElementsAre("BeginDoc", "EndDoc"));
  // MF / 5 on 0.1 mm units: 100 pixels are 500 units, y grows upwards.
  EXPECT_THAT(p.target.page.Lines("Ellipse"), ElementsAre("Ellipse 499 -401 501 -399 pen=0,0,0"));
  EXPECT_THAT(p.target.page.Lines("TextOut"), ElementsAre("TextOut 510 -390 '7' font=Arial/4"));
  EXPECT_THAT(p.target.page.Lines("FillRect"), ElementsAre("FillRect 0 0 203 279 brush=255,255,255"));
  EXPECT_THAT(p.target.page.Lines("Rectangle"), IsEmpty());
  EXPECT_EQ(p.Display, 0);
  EXPECT_EQ(p.ws.view.MF, 1);
}

TEST(ZeigPPunkte, PrintRestoresTheExactScale) {
  Plot p;
  p.Add(1, 900, 600);
  // A scale whose fifth times five is not the scale itself.
  p.ws.view.MF = 0.9;
  const double before = p.ws.view.MF;
  ASSERT_NE(before / 5 * 5, before);
  p.Display = 1;
  p.Draw();
  EXPECT_EQ(p.ws.view.MF, before);
  EXPECT_EQ(p.Display, 0);
  EXPECT_THAT(p.target.screen.log, IsEmpty());  // the screen picture is not touched
}

TEST(ZeigPPunkte, FailedPrintIsAbandonedWithScaleAndTargetRestored) {
  Plot p;
  p.Add(1, 900, 600);
  p.ws.Mesh1 = Mesh({{990, 500, 0}, {990, 510, 8}, {980, 500, 0}});
  p.s.Mesh1 = true;
  p.s.Isoline = true;
  p.s.HLIntervall = "-1";  // pasted: the contour levels refuse it
  p.ws.view.MF = 0.7;
  p.Display = 1;
  EXPECT_THROW(p.Draw(), ERangeError);
  EXPECT_THAT(p.target.events, ElementsAre("BeginDoc", "AbortDoc"));
  EXPECT_EQ(p.ws.view.MF, 0.7);
  EXPECT_EQ(p.Display, 0);

  p.target.events.clear();
  p.target.printer_missing = true;
  p.Display = 1;
  EXPECT_THROW(p.Draw(), EPrinter);
  EXPECT_THAT(p.target.events, IsEmpty());
  EXPECT_EQ(p.ws.view.MF, 0.7);
  EXPECT_EQ(p.Display, 0);
}

TEST(ZeigPPunkte, MeshToggleBeforeAnyRunDrawsOnlyThePoints) {
  Plot p;
  p.Add(1, 920, 600);
  p.Add(2, 910, 610);
  p.s.Mesh0 = p.s.Mesh1 = p.s.Isoline = true;
  EXPECT_NO_THROW(p.Draw());
  EXPECT_EQ(p.target.screen.Lines("Ellipse").size(), 2u);
  EXPECT_THAT(p.target.screen.Lines("Polygon"), IsEmpty());
  EXPECT_THAT(p.target.screen.Lines("LineTo"), IsEmpty());
}

TEST(ZeigPPunkte, TrianglesOfBothMeshesInTheirColoursAndOrder) {
  Plot p;
  p.ws.view = {1, 20, 0, 0, 0};
  p.ws.Mesh0 = Mesh({{0, 0, 0}, {0, 10, 1}, {10, 0, 2}});
  p.ws.Mesh1 = Mesh({{0, 0, 0}, {0, 10, 1}, {10, 10, 2}});
  p.s.Mesh1 = true;
  p.Draw();
  ASSERT_EQ(p.target.screen.Lines("Polygon").size(), 1u);
  EXPECT_NE(p.target.screen.Lines("Polygon")[0].find("pen=255,0,0"), std::string::npos);

  p.target.screen.log.clear();
  p.s.Mesh0 = true;
  p.Draw();
  const auto polygons = p.target.screen.Lines("Polygon");
  ASSERT_EQ(polygons.size(), 2u);
  // Corners in the triangle's order vv0, vv1, vv2; north up: x 10 is row 10.
  const Delaunay::TDelaunay& m = *p.ws.Mesh0;
  std::string expected = "Polygon";
  for (int32_t v : {m.Triangle[1].vv0, m.Triangle[1].vv1, m.Triangle[1].vv2})
    expected += Format(" %d,%d", static_cast<int>(m.Vertex[v].y), static_cast<int>(20 - m.Vertex[v].x));
  EXPECT_EQ(polygons[0], expected + " pen=0,0,255");
  EXPECT_NE(polygons[1].find("pen=255,0,0"), std::string::npos);
}

TEST(ZeigPPunkte, TruncatedMeshAndContourEndsRoundedPoints) {
  Plot p;
  p.ws.view = {1, 10, 0, 0, 0};
  // The contour at 3.5 runs from (x 0, y 3.5) to (x 4.5, y 3.5), exactly.
  p.ws.Mesh1 = Mesh({{0, 0, 0}, {0, 8, 8}, {8, 0, 0}});
  p.ws.Mesh0 = Mesh({{0, 10.7, 0}, {4, 2.5, 0}, {8, 3.5, 1}});
  p.Add(1, 0, 10.7);
  p.Add(2, 0, 2.5);
  p.Add(3, 0, 3.5);
  p.s.Mesh0 = p.s.Mesh1 = p.s.Isoline = true;
  p.s.HLIntervall = "3.5";
  p.Draw();
  EXPECT_THAT(p.target.screen.Lines("Ellipse"),
              ElementsAre("Ellipse 10 9 12 11 pen=0,0,0", "Ellipse 1 9 3 11 pen=0,0,0",
                          "Ellipse 3 9 5 11 pen=0,0,0"));
  const auto polygons = p.target.screen.Lines("Polygon");
  ASSERT_EQ(polygons.size(), 2u);
  for (const char* corner : {" 10,10", " 2,6", " 3,2"})
    EXPECT_NE(polygons[0].find(corner), std::string::npos) << polygons[0] << corner;

  // The terrain's segment at 3.5: columns 3, rows Trunc(10) and Trunc(5.5).
  const auto& c = p.ws.Mesh1->Contour;
  ASSERT_EQ(c.NoLevels, 2);
  bool found = false;
  const auto& log = p.target.screen.log;
  for (size_t i = 0; i + 1 < log.size(); ++i) {
    if (log[i + 1].find("pen=128,0,0") == std::string::npos) continue;
    if ((log[i] == "MoveTo 3 10" && log[i + 1] == "LineTo 3 5 pen=128,0,0") ||
        (log[i] == "MoveTo 3 5" && log[i + 1] == "LineTo 3 10 pen=128,0,0"))
      found = true;
  }
  EXPECT_TRUE(found);
}

TEST(ZeigPPunkte, ContoursFollowTheMeshesAfterTheTrianglesInLevelOrder) {
  Plot p;
  p.ws.view = {1, 10, 0, 0, 0};
  p.ws.Mesh0 = Mesh({{0, 0, 0}, {0, 8, 8}, {8, 0, 0}});
  p.ws.Mesh1 = Mesh({{0, 0, 0}, {0, 8, 8}, {8, 8, 4}});
  p.s.Mesh0 = p.s.Mesh1 = p.s.Isoline = true;
  p.s.HLIntervall = "1";
  p.Draw();
  // Mesh0 triangles, Mesh1 triangles, Mesh0 contours (blue), Mesh1 contours.
  std::vector<std::string> kinds;
  for (const std::string& l : p.target.screen.log) {
    std::string k = l.substr(0, l.find(' '));
    if (k == "MoveTo") continue;
    if (k == "LineTo") k += l.substr(l.find("pen="));
    if (kinds.empty() || kinds.back() != k) kinds.push_back(k);
  }
  EXPECT_THAT(kinds, ElementsAre("FillRect", "Polygon", "LineTo" "pen=0,0,255", "LineTo" "pen=128,0,0"));

  // As many lines as the contour state holds, over all levels.
  size_t segments = 0;
  for (const auto& m : {p.ws.Mesh0.get(), p.ws.Mesh1.get()})
    for (int i = 0; i < m->Contour.NoLevels; ++i) segments += m->Contour.Contours[i].size();
  EXPECT_GT(segments, 4u);
  EXPECT_EQ(p.target.screen.Lines("LineTo").size(), segments);

  // Switching a mesh off removes its triangles and its contours.
  p.target.screen.log.clear();
  p.s.Mesh0 = false;
  p.Draw();
  for (const std::string& l : p.target.screen.log) EXPECT_EQ(l.find("pen=0,0,255"), std::string::npos) << l;
}

TEST(ZeigPPunkte, IntervalTextThatIsNoNumberMeansOne) {
  for (const char* text : {"abc", "", "1,5,0", "1.5,0", " 2"}) {
    Plot p;
    p.ws.Mesh1 = Mesh({{0, 0, 281.3}, {0, 8, 288.9}, {8, 0, 284}});
    p.s.Mesh1 = p.s.Isoline = true;
    p.s.HLIntervall = text;
    p.Draw();
    auto ref = Mesh({{0, 0, 281.3}, {0, 8, 288.9}, {8, 0, 284}});
    ref->InitialiseContourLevels(ref->zMin, ref->zMax, 1.0);
    EXPECT_EQ(p.ws.Mesh1->Contour.Step, 1.0) << text;
    EXPECT_EQ(p.ws.Mesh1->Contour.Levels, ref->Contour.Levels) << text;
  }
  EXPECT_EQ(ContourInterval("0.25"), 0.25);
  // The window's field and the export read a decimal comma alike.
  EXPECT_EQ(ContourInterval("0,5"), 0.5);
  EXPECT_EQ(ContourInterval("0"), 0);  // the levels turn 0 into 0.2 themselves
}

TEST(ZeigPPunkte, FrameFromThePrinterPageAndTheScale) {
  Plot p;
  p.s.OutputArea = true;
  p.s.Masstab = " 2000 ";
  p.Draw();
  EXPECT_EQ(p.PlotMF, 2);
  EXPECT_THAT(p.target.screen.Lines("Rectangle"), ElementsAre("Rectangle 0 0 406 559 pen=255,0,0 dashed"));

  // Half the scale, twice the pixels.
  p.target.screen.log.clear();
  p.ws.view.MF = 0.5;
  p.Draw();
  EXPECT_THAT(p.target.screen.Lines("Rectangle"), ElementsAre("Rectangle 0 0 813 1118 pen=255,0,0 dashed"));
}

TEST(ZeigPPunkte, MalformedScaleEndsTheRedrawAfterEverythingElse) {
  Plot p;
  p.Add(1, 920, 600);
  p.s.OutputArea = true;
  p.s.Masstab = "1:1000";
  try {
    p.Draw();
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'1:1000' ist kein gültiger Gleitkommawert");
  }
  EXPECT_EQ(p.target.screen.Lines("Ellipse").size(), 1u);
  EXPECT_THAT(p.target.screen.Lines("Rectangle"), IsEmpty());
  EXPECT_THAT(p.target.events, ElementsAre("Screen 640x480"));
}

// Every coordinate divides by MF: with 0, infinity or NaN nothing but the
// background is drawn, and a point that lands beyond any image is left out.
TEST(ZeigPPunkte, UnusableScaleAndFarPointsDrawNothingWrong) {
  const double inf = std::numeric_limits<double>::infinity();
  for (double mf : {0.0, inf, -inf, std::numeric_limits<double>::quiet_NaN()}) {
    Plot p;
    p.Add(1, 920, 600);
    p.ws.Mesh1 = Mesh({{0, 0, 0}, {0, 8, 8}, {8, 0, 0}});
    p.s.Mesh1 = p.s.Isoline = p.s.OutputArea = p.s.PNR = true;
    p.ws.view.MF = mf;
    p.Draw();
    EXPECT_THAT(p.target.screen.log, ElementsAre("FillRect 0 0 640 480 brush=255,255,255")) << mf;
    EXPECT_EQ(p.PlotMF, 1);
  }

  Plot p;
  p.ws.view.MF = 1e-300;
  p.Add(1, 1000, 500);       // at the corner
  p.Add(2, 1000, 500.5);     // 5e299 pixels away
  p.Add(3, -1e308, 1e308);   // far even at a scale of 1
  p.Draw();
  EXPECT_THAT(p.target.screen.Lines("Ellipse"), ElementsAre("Ellipse -1 -1 1 1 pen=0,0,0"));
  // A negative scale mirrors the picture: a point south-east of the corner
  // comes into the image, one north-west of it leaves it.
  Plot m;
  m.ws.view.MF = -1;
  m.Add(1, 1080, 400);
  m.Add(2, 920, 600);
  m.Draw();
  EXPECT_THAT(m.target.screen.Lines("Ellipse"), ElementsAre("Ellipse 99 79 101 81 pen=0,0,0"));
}

// The redraw draws in its own colours, black, red and the frame's red last,
// and gives the canvas back in the colour it had.
TEST(ZeigPPunkte, PenColourAtEntryIsSetAgain) {
  Plot p;
  p.target.screen.pen = {1, 2, 3};
  p.Add(1, 920, 600);
  // In the image: a triangle wholly outside it is not drawn at all.
  p.ws.Mesh1 = Mesh({{990, 500, 0}, {990, 508, 8}, {998, 500, 0}});
  p.s.Mesh1 = p.s.OutputArea = true;
  p.Draw();
  EXPECT_THAT(p.target.screen.Lines("Ellipse"), ElementsAre(::testing::HasSubstr("pen=0,0,0")));
  EXPECT_THAT(p.target.screen.Lines("Polygon"), ElementsAre(::testing::HasSubstr("pen=255,0,0")));
  EXPECT_THAT(p.target.screen.Lines("Rectangle"), ElementsAre(::testing::HasSubstr("pen=255,0,0")));
  EXPECT_EQ(p.target.screen.pen, (TColor{1, 2, 3}));
}

}  // namespace
}  // namespace zelmaro

namespace zelmaro {
namespace {

TEST(ZeigPPunkte, ZeroLinesDashedInTheMeshColourOnlyWithTheToggleAndARun) {
  Plot p;
  // Heights 1, 3, 3 against H0 = 2: the line joins the middles of the two
  // edges from the low corner, (990, 520) and (980, 510).
  p.ws.Mesh1 = Mesh({{990, 510, 1}, {990, 530, 3}, {970, 510, 3}});
  ASSERT_EQ(p.ws.Mesh1->HowMany, 1);
  p.ws.cutFill.valid = true;
  p.ws.cutFill.H0 = 2;
  p.s.Mesh1 = true;
  p.Draw();
  EXPECT_THAT(p.target.screen.Lines("LineTo"), IsEmpty());

  p.s.ZeroLines = true;
  p.target.screen.log.clear();
  p.Draw();
  const std::vector<std::string> moves = p.target.screen.Lines("MoveTo");
  const std::vector<std::string> lines = p.target.screen.Lines("LineTo");
  ASSERT_EQ(moves.size(), 1u);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE((moves[0] == "MoveTo 20 10" && lines[0] == "LineTo 10 20 pen=255,0,0 dashed") ||
              (moves[0] == "MoveTo 10 20" && lines[0] == "LineTo 20 10 pen=255,0,0 dashed"))
      << moves[0] << " / " << lines[0];
  EXPECT_EQ(p.target.screen.pen_style, TPenStyle::psSolid);

  // A hidden mesh, or meshes of a run that did not finish, show none.
  p.s.Mesh1 = false;
  p.target.screen.log.clear();
  p.Draw();
  EXPECT_THAT(p.target.screen.Lines("LineTo"), IsEmpty());
  p.s.Mesh1 = true;
  p.ws.cutFill.valid = false;
  p.target.screen.log.clear();
  p.Draw();
  EXPECT_THAT(p.target.screen.Lines("LineTo"), IsEmpty());
}

}  // namespace
}  // namespace zelmaro
