#include "ui/icons.h"

#include <QColor>
#include <QPixmap>

namespace zelmaro::ui {

namespace {

QRgb PaletteColour(QChar c) {
  switch (c.unicode()) {
    case 'k': return qRgb(0, 0, 0);
    case 'w': return qRgb(255, 255, 255);
    case 'o': return qRgb(192, 192, 192);
    case 'O': return qRgb(128, 128, 128);
    case 'r': return qRgb(255, 0, 0);
    case 'R': return qRgb(128, 0, 0);
    case 'b': return qRgb(0, 0, 255);
    case 'B': return qRgb(0, 0, 128);
    case 'c': return qRgb(0, 255, 255);
    case 'g': return qRgb(0, 160, 0);
    case 'G': return qRgb(0, 96, 0);
    case 'y': return qRgb(255, 255, 0);
    case 'n': return qRgb(160, 96, 32);
    default: return qRgb(255, 0, 255);
  }
}

const QStringList kCompute = {
    "................",
    "..BBBBBBBBBBBB..",
    "..BBBBBBBBBBBB..",
    "...BB.......BB..",
    "....BB......B...",
    ".....BB.........",
    "......BB........",
    ".......BB.......",
    ".......BB.......",
    "......BB........",
    ".....BB.........",
    "....BB......B...",
    "...BB.......BB..",
    "..BBBBBBBBBBBB..",
    "..BBBBBBBBBBBB..",
    "................",
};

const QStringList kPan = {
    ".......kk.......",
    "......kkkk......",
    ".....kkkkkk.....",
    ".......kk.......",
    ".......kk.......",
    "..k....kk....k..",
    ".kk....kk....kk.",
    "kkkkkkkkkkkkkkkk",
    "kkkkkkkkkkkkkkkk",
    ".kk....kk....kk.",
    "..k....kk....k..",
    ".......kk.......",
    ".......kk.......",
    ".....kkkkkk.....",
    "......kkkk......",
    ".......kk.......",
};

const QStringList kZoom = {
    "....kkkkk.......",
    "..kk.....kk.....",
    ".k..ccccc..k....",
    ".k.ccwwccc.k....",
    "k.ccwcccccc.k...",
    "k.cwcccccccck...",
    "k.cccccccccck...",
    "k.cccccccccck...",
    ".k.cccccccc.k...",
    ".k..cccccc.k....",
    "..kk.....kkk....",
    "....kkkkkkOOk...",
    "..........kOOk..",
    "...........kOOk.",
    "............kOOk",
    ".............kk.",
};

const QStringList kNumbers = {
    "................",
    "................",
    "...k....kkkk....",
    "..kk...k....k...",
    ".k.k........k...",
    "...k.......k....",
    "...k......k.....",
    "...k.....k......",
    "...k....k.......",
    ".kkkkk.kkkkkk...",
    "................",
    "..........rr....",
    ".........rrrr...",
    ".........rrrr...",
    "..........rr....",
    "................",
};

const QStringList kHeights = {
    "................",
    "................",
    "..kkkkkkkk......",
    "........k.......",
    ".......k........",
    "......k.........",
    ".....k..........",
    "....k...........",
    "...k............",
    "..kkkkkkkk......",
    "................",
    "..........rr....",
    ".........rrrr...",
    ".........rrrr...",
    "..........rr....",
    "................",
};

const QStringList kMesh0 = {
    "................",
    "......b.........",
    ".....b.bb.......",
    "....b..b.bb.....",
    "...b..b....bb...",
    "..b...b......bb.",
    ".b...b......b.b.",
    "bbbbbbbbbbbbb..b",
    ".b..b......b...b",
    "..bb......b...b.",
    "..b.b....b....b.",
    ".b...b..b....b..",
    ".b....bb.....b..",
    "b......b....b...",
    "bbbbbbbbbbbbb...",
    "................",
};

// A mesh whose lower outline bends inwards, and the triangles that close it
// to the straight hull line.
const QStringList kOutline = {
    "................",
    ".bbbbbbbbbbbbbb.",
    ".bb....b.....bb.",
    ".b.b...b....b.b.",
    ".b..b..b...b..b.",
    ".b...b.b..b...b.",
    ".b....bb.b....b.",
    ".bbbbbbbbbbbbbb.",
    ".bb....b.....bb.",
    ".b.bb..b...bb.b.",
    ".b...bbb.bb...b.",
    ".b....rbbr....b.",
    ".b..rrrrrrrr..b.",
    ".brrrrrrrrrrrrb.",
    ".rrrrrrrrrrrrrr.",
    "................",
};

// A mound cut by the dashed line of the reference height.
const QStringList kZeroLines = {
    "................",
    "................",
    ".......RR.......",
    "......R..R......",
    ".....R....R.....",
    "....R......R....",
    "...R........R...",
    ".rr.rr.rr.rr.rr.",
    "..R..........R..",
    ".R............R.",
    "R..............R",
    "kkkkkkkkkkkkkkkk",
    "................",
    "................",
    "................",
    "................",
};

const QStringList kMesh1 = {
    "................",
    "......r.........",
    ".....r.rr.......",
    "....r..r.rr.....",
    "...r..r....rr...",
    "..r...r......rr.",
    ".r...r......r.r.",
    "rrrrrrrrrrrrr..r",
    ".r..r......r...r",
    "..rr......r...r.",
    "..r.r....r....r.",
    ".r...r..r....r..",
    ".r....rr.....r..",
    "r......r....r...",
    "rrrrrrrrrrrrr...",
    "................",
};

const QStringList kIsolines = {
    "................",
    "....RRRRRRRR....",
    "..RR........RR..",
    ".R...RRRRRR...R.",
    "R..RR......RR..R",
    "R.R...RRRR...R.R",
    "R.R..R....R..R.R",
    "R.R..R.bb.R..R.R",
    "R.R..R....R..R.R",
    "R.R...RRRR...R.R",
    "R..RR......RR..R",
    ".R...RRRRRR...R.",
    "..RR........RR..",
    "....RRRRRRRR....",
    "................",
    "................",
};

const QStringList kOutputArea = {
    "................",
    "rrr.rrr.rrr.rrr.",
    "r..............r",
    "r..............r",
    "...............r",
    "r...k..........r",
    "r.......k......r",
    "r...............",
    "....k.....k....r",
    "r..............r",
    "r......k.......r",
    "r...............",
    "...............r",
    "r..............r",
    "rrr.rrr.rrr.rrr.",
    "................",
};

const QStringList kPrinterSetup = {
    "................",
    "....kkkkkkkk....",
    "....kwwwwwwk....",
    "....kwkkkkwk....",
    "..kkkkkkkkkkkk..",
    ".kooooooooooook.",
    ".kooooooooogggk.",
    ".kOOOOOOOOOOOOk.",
    ".kkkkkkkkk..kk..",
    "........k.bb.bb.",
    ".......k..bbbbb.",
    "......k..bbb.bbb",
    "......k...bbbbb.",
    ".....k....bb.bb.",
    ".....k..........",
    "................",
};

const QStringList kPrint = {
    "................",
    "....kkkkkkkk....",
    "....kwwwwwwk....",
    "....kwkkkkwk....",
    "....kwwwwwwk....",
    "..kkkkkkkkkkkk..",
    ".kooooooooooook.",
    ".kooooooooogggk.",
    ".kooooooooooook.",
    ".kOOOOOOOOOOOOk.",
    ".kkkwwwwwwwwkkk.",
    "....kwkkkkwk....",
    "....kwwwwwwk....",
    "....kwkkkwwk....",
    "....kkkkkkkk....",
    "................",
};

const QStringList kSave = {
    "kkkkkkkkkkkkkkk.",
    "kBkwwwwwwwwwkBk.",
    "kBkwwwwwwwwwkBk.",
    "kBkwkkkkkkkwkBk.",
    "kBkwwwwwwwwwkBk.",
    "kBkwkkkkkkkwkBk.",
    "kBkwwwwwwwwwkBk.",
    "kBBkkkkkkkkkBBk.",
    "kBBBBBBBBBBBBBk.",
    "kBBkkkkkkkkkBBk.",
    "kBBkoooOOookBBk.",
    "kBBkoooOOookBBk.",
    "kBBkoooOOookBBk.",
    ".kBkoooooookBBk.",
    "..kkkkkkkkkkkkk.",
    "................",
};

const QStringList kInfo = {
    ".....bbbbbb.....",
    "...bbbbbbbbbb...",
    "..bbbbbwwbbbbb..",
    ".bbbbbbwwbbbbbb.",
    ".bbbbbbbbbbbbbb.",
    "bbbbbbwwwbbbbbbb",
    "bbbbbbbwwbbbbbbb",
    "bbbbbbbwwbbbbbbb",
    "bbbbbbbwwbbbbbbb",
    "bbbbbbbwwbbbbbbb",
    ".bbbbbbwwbbbbbb.",
    ".bbbbbwwwwbbbbb.",
    "..bbbbbbbbbbbb..",
    "...bbbbbbbbbb...",
    ".....bbbbbb.....",
    "................",
};

const QStringList kExit = {
    "................",
    "..kkkkkkkkk.....",
    "..kwkoooooo.....",
    "..kwwkooooo.....",
    "..kwwwkoooo.....",
    "..kwwwwkooo..r..",
    "..kwwwwkooo..rr.",
    "..kwwwwkrrrrrrrr",
    "..kwwkwkrrrrrrrr",
    "..kwwwwkooo..rr.",
    "..kwwwwkooo..r..",
    "..kwwwwkooo.....",
    "...kwwwkooo.....",
    "....kwwkooo.....",
    ".....kkkkkk.....",
    "................",
};

// A beam balance: the beam, two pans, the pillar and the foot.
const QStringList kBalance = {
    "................................",
    "...............kk...............",
    "..............kyyk..............",
    "..............kyyk..............",
    "...............kk...............",
    "..kkkkkkkkkkkkkkkkkkkkkkkkkkkk..",
    "..knnnnnnnnnnnnnnnnnnnnnnnnnnk..",
    "..kkkkkkkkkkkkkkkkkkkkkkkkkkkk..",
    "...k...k.......kk.......k...k...",
    "...k...k.......kk.......k...k...",
    "..k.....k......kk......k.....k..",
    "..k.....k......kk......k.....k..",
    ".k.......k.....kk.....k.......k.",
    ".k.......k.....kk.....k.......k.",
    "k.........k....kk....k.........k",
    "kkkkkkkkkkkk...kk...kkkkkkkkkkkk",
    "kyyyyyyyyyyk...kk...kyyyyyyyyyyk",
    ".kyyyyyyyyk....kk....kyyyyyyyyk.",
    "..kkkkkkkk.....kk.....kkkkkkkk..",
    "...............kk...............",
    "...............kk...............",
    "...............kk...............",
    "...............kk...............",
    "...............kk...............",
    "...............kk...............",
    "..............knnk..............",
    ".............knnnnk.............",
    "............knnnnnnk............",
    "..........kknnnnnnnnkk..........",
    "........kknnnnnnnnnnnnkk........",
    "........kkkkkkkkkkkkkkkk........",
    "................................",
};

}  // namespace

const QStringList& IconPicture(IconId id) {
  switch (id) {
    case IconId::Compute: return kCompute;
    case IconId::Pan: return kPan;
    case IconId::Zoom: return kZoom;
    case IconId::Numbers: return kNumbers;
    case IconId::Heights: return kHeights;
    case IconId::Mesh0: return kMesh0;
    case IconId::Mesh1: return kMesh1;
    case IconId::Isolines: return kIsolines;
    case IconId::OutputArea: return kOutputArea;
    case IconId::PrinterSetup: return kPrinterSetup;
    case IconId::Print: return kPrint;
    case IconId::Save: return kSave;
    case IconId::Info: return kInfo;
    case IconId::Exit: return kExit;
    case IconId::Outline: return kOutline;
    case IconId::ZeroLines: return kZeroLines;
    case IconId::Balance: return kBalance;
  }
  return kCompute;
}

QImage IconImage(IconId id) {
  const QStringList& rows = IconPicture(id);
  int width = 0;
  for (const QString& row : rows) width = qMax(width, static_cast<int>(row.size()));
  QImage image(width, static_cast<int>(rows.size()), QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  for (int y = 0; y < rows.size(); ++y) {
    const QString& row = rows[y];
    for (int x = 0; x < row.size(); ++x) {
      if (row[x] != QLatin1Char('.')) image.setPixel(x, y, PaletteColour(row[x]));
    }
  }
  return image;
}

QIcon MakeIcon(IconId id) { return QIcon(QPixmap::fromImage(IconImage(id))); }

}  // namespace zelmaro::ui
