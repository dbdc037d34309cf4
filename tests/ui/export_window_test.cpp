// "Exportieren …" in the window: where the button stands, what it says
// without a run, and the three formats written from the last run.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <functional>

#include "test_form.h"
#include "ui/export_options_dialog.h"

namespace {

class ExportForm : public TestForm {
 public:
  QList<ExportTarget> targets;  // answers of the export dialog; empty = cancel
  QStringList informations;
  int export_dialogs = 0;
  // The options dialog: what it was shown, and what it answers.
  QStringList option_formats;
  zelmaro::ExportOptions shown;
  std::function<bool(zelmaro::ExportOptions&)> answer = [](zelmaro::ExportOptions&) { return true; };
  QStringList format_answers;  // answers of the format question; empty = cancel
  QStringList format_questions;

 protected:
  ExportTarget ChooseExportFile() override {
    ++export_dialogs;
    return targets.isEmpty() ? ExportTarget{} : targets.takeFirst();
  }
  bool ChooseExportOptions(const QString& format, zelmaro::ExportOptions& options) override {
    option_formats << format;
    shown = options;
    return answer(options);
  }
  void ShowInformation(const QString& text) override { informations << text; }
  QString AskExportFormat(const QString& file) override {
    format_questions << file;
    return format_answers.isEmpty() ? QString() : format_answers.takeFirst();
  }
};

QByteArray Head(const QString& path, int n) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.read(n) : QByteArray();
}

// Its place and hint in the tool bar are checked with the others
// (MainWindow.ToolBarOrderHintsAndKinds).
TEST(ExportWindow, WithoutARunItSaysSoAndAsksNothing) {
  ExportForm form;
  EXPECT_FALSE(form.ToolButtonExport->icon().isNull());
  form.ToolButtonExport->click();
  ASSERT_EQ(form.informations.size(), 1);
  EXPECT_TRUE(form.informations[0].contains(QStringLiteral("keine Berechnung")));
  EXPECT_EQ(form.export_dialogs, 0);
  EXPECT_TRUE(form.errors.isEmpty());

  // After the program end command released the meshes, the same.
  QTemporaryDir dir;
  form.files_to_choose = {WritePointFile(dir, "halde.asc", SquareSurvey(280, 300))};
  form.BitBtn1->click();
  form.Work().Mesh0.reset();
  form.ToolButtonExport->click();
  EXPECT_EQ(form.informations.size(), 2);
  EXPECT_EQ(form.export_dialogs, 0);
}

TEST(ExportWindow, ExportsTheLastRunInTheChosenFormat) {
  QTemporaryDir dir;
  ExportForm form;
  form.files_to_choose = {WritePointFile(dir, "halde.asc", SquareSurvey(280, 300))};
  form.BitBtn1->click();
  ASSERT_EQ(form.runs, 1);
  const QString xml = dir.filePath("halde.xml"), dxf = dir.filePath("halde.dxf"),
                pdf = dir.filePath("halde.pdf");
  form.targets = {{xml, QStringLiteral("xml")}, {dxf, QStringLiteral("dxf")},
                  {pdf, QStringLiteral("pdf")}, {}};
  for (int i = 0; i < 4; ++i) form.ToolButtonExport->click();
  EXPECT_TRUE(form.errors.isEmpty()) << form.errors.join('\n').toStdString();
  EXPECT_EQ(form.export_dialogs, 4);
  EXPECT_EQ(Head(xml, 5), QByteArray("<?xml"));
  EXPECT_TRUE(Head(dxf, 200).contains("AC1015"));
  EXPECT_EQ(Head(pdf, 5), QByteArray("%PDF-"));
  QFile landxml(xml);
  ASSERT_TRUE(landxml.open(QIODevice::ReadOnly));
  const zelmaro::Workspace& ws = form.Work();
  EXPECT_EQ(landxml.readAll().count("<P id="), ws.Mesh0->tPoints - 1 + ws.Mesh1->tPoints - 1);
  EXPECT_GT(ws.Mesh1->tPoints - 1, 1);
  EXPECT_TRUE(form.StatusBar1->currentMessage().contains(pdf));

  // Another point file chosen with the same lowest height: computed all the
  // same, so the export offers its run.
  form.files_to_choose = {WritePointFile(dir, "klein.asc", {{1, 0, 0, 0, 280}})};
  form.BitBtn1->click();
  ASSERT_EQ(form.runs, 2);
  form.ToolButtonExport->click();
  EXPECT_EQ(form.export_dialogs, 5);
  EXPECT_EQ(form.informations.size(), 0);
}

TEST(ExportWindow, TheChoicesReachTheFileAndAreRemembered) {
  QTemporaryDir dir;
  ExportForm form;
  form.files_to_choose = {WritePointFile(dir, "halde.asc", SquareSurvey(280, 300))};
  form.BitBtn1->click();
  const QString dxf = dir.filePath("halde.dxf"), pdf = dir.filePath("halde.pdf");
  form.answer = [](zelmaro::ExportOptions& o) {
    o.dxf_layers.labels = false;
    o.author = "Vermessung Süd";
    o.epsg = 25832;
    return true;
  };
  form.targets = {{dxf, QStringLiteral("dxf")}};
  form.ToolButtonExport->click();
  EXPECT_TRUE(form.errors.isEmpty()) << form.errors.join('\n').toStdString();
  QFile f(dxf);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_FALSE(f.readAll().contains("PUNKTNUMMERN\r\n 10"));  // no labels

  // The next export starts from the choices made; a cancel writes nothing.
  form.answer = [](zelmaro::ExportOptions&) { return false; };
  form.targets = {{pdf, QStringLiteral("pdf")}};
  form.ToolButtonExport->click();
  EXPECT_EQ(form.option_formats, (QStringList{"dxf", "pdf"}));
  EXPECT_FALSE(form.shown.dxf_layers.labels);
  EXPECT_EQ(form.shown.author, "Vermessung Süd");
  EXPECT_EQ(form.shown.epsg, 25832);
  EXPECT_FALSE(QFile::exists(pdf));
  zelmaro::ui::SaveExportOptions({});

  // The dialog itself: the PDF's choices, and an EPSG code that is none.
  zelmaro::ExportOptions o;
  o.pdf_protocol = zelmaro::PdfProtocol::kFull;
  zelmaro::ui::ExportOptionsDialog dialog(nullptr, QStringLiteral("pdf"), o);
  EXPECT_EQ(dialog.labels, nullptr);
  ASSERT_NE(dialog.protocol, nullptr);
  dialog.protocol->setCurrentIndex(2);
  dialog.client->setText(QStringLiteral(" Gemeinde "));
  QString why;
  ASSERT_TRUE(dialog.Options(o, why));
  EXPECT_EQ(o.pdf_protocol, zelmaro::PdfProtocol::kNone);
  EXPECT_EQ(o.client, "Gemeinde");
  dialog.epsg->setText(QStringLiteral("UTM 32"));
  EXPECT_FALSE(dialog.Options(o, why));
  EXPECT_TRUE(why.contains(QStringLiteral("kein EPSG-Code")));
}

TEST(ExportWindow, AFailedExportIsReportedAndAFailedRunLeavesNothingToExport) {
  QTemporaryDir dir;
  ExportForm form;
  form.files_to_choose = {WritePointFile(dir, "halde.asc", SquareSurvey(280, 300))};
  form.BitBtn1->click();
  form.targets = {{dir.filePath("fehlt/halde.xml"), QStringLiteral("xml")}};
  form.ToolButtonExport->click();
  ASSERT_EQ(form.errors.size(), 1);
  EXPECT_FALSE(QFile::exists(dir.filePath("fehlt/halde.xml")));

  // A run that fails (its protocol cannot be written) has no record.
  form.EditPunktDat->setText(dir.filePath("fehlt/halde.asc"));
  form.ToolButton1->click();
  EXPECT_EQ(form.errors.size(), 2);
  form.ToolButtonExport->click();
  EXPECT_EQ(form.informations.size(), 1);
}

// The export once took its own contour lines at the raw field text ("0,5"
// read as 1 m) and left them in the mesh behind the plot's cache; and it
// wrote the format of the dialog's filter whatever extension was typed.
TEST(ExportWindow, SharesThePlotsContoursAndTakesTheFormatFromTheName) {
  QTemporaryDir dir;
  ExportForm form;
  ASSERT_TRUE(ShowActive(form));
  form.files_to_choose = {WritePointFile(dir, "halde.asc", SquareSurvey(280, 300))};
  form.BitBtn1->click();
  form.PageControl1->setCurrentIndex(2);
  form.EditHLIntervall->setText(QStringLiteral("0,5"));
  form.ToolButtonIsoline->click();
  form.ToolButtonMesh1->click();
  ASSERT_EQ(form.Work().Mesh1->Contour.Step, 0.5);
  const int computed = form.ContourLines().Computations();

  const QString dxf = dir.filePath("halde.dxf");
  form.targets = {{dxf, QStringLiteral("xml")}};
  form.ToolButtonExport->click();
  EXPECT_TRUE(form.errors.isEmpty()) << form.errors.join('\n').toStdString();
  EXPECT_TRUE(Head(dxf, 200).contains("AC1015"));
  EXPECT_EQ(form.Work().Mesh1->Contour.Step, 0.5);
  form.ToolButtonMesh1->click();
  form.ToolButtonMesh1->click();
  EXPECT_EQ(form.Work().Mesh1->Contour.Step, 0.5);
  // The terrain's lines were the plot's; only the reference's were new.
  EXPECT_EQ(form.ContourLines().Computations(), computed + 1);

  // An extension of none of ours: asked, and nothing written when cancelled.
  const QString txt = dir.filePath("halde.txt");
  form.targets = {{txt, QStringLiteral("pdf")}, {txt, QStringLiteral("pdf")}};
  form.ToolButtonExport->click();
  EXPECT_EQ(form.format_questions, QStringList{txt});
  EXPECT_FALSE(QFile::exists(txt));
  form.format_answers = {QStringLiteral("xml")};
  form.ToolButtonExport->click();
  EXPECT_EQ(Head(txt, 5), QByteArray("<?xml"));
}

}  // namespace
