#pragma once
// The main window: tool bar, the four pages and the status bar, and the
// handlers of every command. The handlers read the widgets, call the core and
// write the widgets; the program state lives in the Workspace.
#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "export/export_input.h"
#include "plot/navigation.h"
#include "volume/run.h"
#include "workspace/workspace.h"
#include "workspace/contour_cache.h"
#include "workspace/mesh_cache.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTableWidget;
class QTableWidgetItem;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QMenuBar;
class QToolBar;
class QToolButton;
class QWindow;
class TForm2;
class TNumberBox;

class TForm1 : public QMainWindow, public zelmaro::RunHost {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // The info window, created by the program's main block after this one.
  void SetInfoWindow(TForm2* form) { Form2 = form; }

  zelmaro::Workspace& Work() { return ws; }
  // The printer chosen in the printer setup; the platform's default until then.
  QPrinter& Printer();
  // The size of a page of the page control (the plot draws into that size).
  QSize PageSize() const;

  // Tool bar, in the order the buttons stand.
  QToolBar* ToolBar1 = nullptr;
  QToolButton* ToolButton1 = nullptr;
  QWidget* ToolButton6 = nullptr;
  QToolButton* ToolButtonPan = nullptr;
  QToolButton* ToolButtonZoom = nullptr;
  QWidget* ToolButton3 = nullptr;
  QToolButton* ToolButtonPNR = nullptr;
  QToolButton* ToolButtonZ = nullptr;
  QWidget* ToolButton7 = nullptr;
  QToolButton* ToolButtonMesh0 = nullptr;
  QToolButton* ToolButtonMesh1 = nullptr;
  QToolButton* ToolButtonIsoline = nullptr;
  // "Randdreiecke ergänzen": the meshes are closed to their convex hulls.
  // Remembered between program runs; never disabled.
  QToolButton* ToolButtonRand = nullptr;
  // "Nulllinien anzeigen": where the shown meshes meet the last run's H0,
  // dashed in the mesh's colour. Never disabled.
  QToolButton* ToolButtonZeroLines = nullptr;
  QWidget* ToolButton11 = nullptr;
  QToolButton* ToolButton12 = nullptr;
  QToolButton* ToolButton2 = nullptr;
  QToolButton* ToolButtonDruck = nullptr;
  QWidget* ToolButton8 = nullptr;
  QToolButton* ToolButton9 = nullptr;
  QWidget* ToolButton10 = nullptr;
  QToolButton* ToolButton4 = nullptr;
  QToolButton* ToolButton5 = nullptr;
  QToolButton* ToolButtonExport = nullptr;  // "Exportieren …"

  // Menu bar: the tool bar's actions (each button's defaultAction()) and
  // the commands without a button.
  QMenuBar* MenuBar1 = nullptr;
  QMenu* MenuDatei = nullptr;
  QMenu* MenuBerechnung = nullptr;
  QMenu* MenuAnsicht = nullptr;
  QMenu* MenuHilfe = nullptr;
  QMenu* MenuRecent = nullptr;  // "Zuletzt geöffnet"
  QAction* ActionOpen = nullptr;
  QAction* ActionBalance0 = nullptr;
  QAction* ActionBalance1 = nullptr;

  QTabWidget* PageControl1 = nullptr;
  QWidget* TabSheet1 = nullptr;
  QWidget* TabSheet2 = nullptr;
  QWidget* TabSheet3 = nullptr;
  QWidget* TabSheet4 = nullptr;
  QWidget* TabSheet5 = nullptr;  // "Auf- und Abtrag"
  QStatusBar* StatusBar1 = nullptr;

  // Page "Eingabedaten".
  QGroupBox* GroupBox1 = nullptr;
  QLineEdit* EditPunktDat = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QGroupBox* GroupBox5 = nullptr;
  TNumberBox* NumberBoxH0 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* EditA0 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* EditM0 = nullptr;
  QToolButton* SpeedButton1 = nullptr;
  QGroupBox* GroupBox3 = nullptr;
  QLabel* Label3 = nullptr;
  QLineEdit* EditA1 = nullptr;
  QLabel* Label4 = nullptr;
  QLineEdit* EditM1 = nullptr;
  QToolButton* SpeedButton2 = nullptr;
  QGroupBox* GroupBox4 = nullptr;
  QLabel* Label5 = nullptr;
  QLineEdit* EditA2 = nullptr;
  QLabel* Label6 = nullptr;
  QLineEdit* EditM2 = nullptr;
  QGroupBox* GroupBox6 = nullptr;
  QLineEdit* EditBem = nullptr;

  // Page "Punktliste". The grid's header row is the table's own header; its
  // rows 0 .. 3 are the four empty rows below it.
  QTableWidget* StringGridPkte = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QAction* Punkte1 = nullptr;
  QAction* Sichern1 = nullptr;
  QAction* Punktespeichern1 = nullptr;

  // Page "Punktgrafik".
  QGroupBox* GroupBox7 = nullptr;
  QLabel* Label7 = nullptr;
  QLineEdit* EditMasstab = nullptr;
  QLabel* Label8 = nullptr;
  QLineEdit* EditHLIntervall = nullptr;
  QLabel* Imagepp = nullptr;

  // Page "Protokoll".
  QPlainTextEdit* Prot = nullptr;

  // Page "Auf- und Abtrag": the cut and fill of the last run.
  QLabel* LabelCutFillH0 = nullptr;  // the reference height the figures belong to
  QTableWidget* CutFillTable = nullptr;
  // Remarks on the figures below the table, e.g. what the meshes leave of
  // their outlines; hidden while empty.
  QLabel* LabelCutFillNote = nullptr;
  void SetCutFillNote(const QString& text);

  // Shell values.
  uint8_t Display = 0;  // 0 screen, 1 printer
  int OldFormwidth = 0;
  int OldFormHeight = 0;

  // Plot values.
  int MausposX = 0;     // column of the last mouse position over the image
  int MausposY = 0;     // row of that position
  double PlotMF = 0;    // plot scale denominator / 1000, set with the frame
  // The plot's bitmap: the page's full size, shown by Imagepp from its
  // top-left corner.
  const QImage& PlotBitmap() const { return plot_bitmap_; }

  // Handlers and operations, under the names the commands have.
  void FormActivate();
  static QString GetVersionInfos(const QString& filename);
  void BitBtn1Click();
  // Choosing a point file with the import dialog shown whatever its layout
  // ("..." with Shift held).
  void ImportPointFile();
  void EditPunktDatDblClick();
  void PageControl1Change();
  virtual void ToolButton1Click();
  void NumberBoxH0ChangeValue();
  void SpeedButton1Click();
  void SpeedButton2Click();
  void ToolButton2Click();
  void ToolButton4Click();
  void ToolButton5Click();
  void ToolButton9Click();
  void ToolButtonDruckClick();
  void ToolButtonPNRClick();
  void ToolButtonZClick();
  void ToolButtonMesh0Click();
  void ToolButtonMesh1Click();
  void ToolButtonRandClick();
  void ToolButtonZeroLinesClick();
  // Exports the last run as LandXML, DXF or PDF report.
  void ToolButtonExportClick();
  void Punkte1Click();
  void Sichern1Click();
  void Punktespeichern1Click();
  void FormMouseWheelDown();
  void FormMouseWheelUp();
  void ImageppMouseDown(QMouseEvent* event);
  void ImageppMouseMove(QMouseEvent* event);
  void ImageppMouseUp(QMouseEvent* event);
  void LiesPunkte(const QString& file_name);
  virtual void fillGrid();
  // The grid's rows back into P, just before the points are saved.
  void UpdatePunkte();
  virtual void ZeigPPunkte();

  // Runs a handler as a command: a failure inside it ends the command with a
  // modal error report and the program goes on in the state reached. Nested
  // commands (a run inside a value assignment) let the failure through to the
  // outermost one, which reports it once.
  void RunCommand(const std::function<void()>& command);

  // The protocol pane with the protocol of the last run in it. The pane is
  // filled when its page is shown: a large survey's protocol has a million
  // lines, which would cost every run a second for a pane no one looks at.
  QPlainTextEdit* ProtocolPane();

  // Number of FormActivate runs, for the start-up checks of the window.
  int ActivationCount() const { return activation_count_; }

 protected:
  // Dialogs and message boxes; tests answer them without a modal loop.
  // Returns the chosen point file, empty when cancelled.
  virtual QString ChooseOpenFile();
  // The file to save the points to (asks before overwriting), empty when
  // cancelled.
  virtual QString ChooseSaveFile();
  // The modal error report; detail names the file concerned, when known.
  virtual void ShowError(const QString& text, const QString& detail);
  virtual void ShowCoincidenceMessage();
  virtual void RunPrinterSetup();
  // Whether the platform knows a printer. Without one Qt prints into a PDF
  // file, whose name the print asks for (ChoosePdfFile, empty when cancelled).
  virtual bool PrinterInstalled();
  virtual QString ChoosePdfFile();
  // The export's file and format (by the chosen filter: "xml", "dxf" or
  // "pdf"); an empty file when cancelled.
  struct ExportTarget {
    QString file;
    QString format;
  };
  virtual ExportTarget ChooseExportFile();
  // The export's choices for that format, starting from the remembered
  // ones; false when cancelled.
  virtual bool ChooseExportOptions(const QString& format, zelmaro::ExportOptions& options);
  // The format for an export file whose extension names none of ours: "xml",
  // "dxf" or "pdf", empty when cancelled.
  virtual QString AskExportFormat(const QString& file);
  // "Änderungen an den Punkten speichern?" with Ja / Nein / Abbrechen.
  enum class EditsAnswer { Save, Discard, Cancel };
  virtual EditsAnswer AskSaveEdits();
  virtual void ShowInformation(const QString& text);
  // The import dialog for a file not laid out as the program's own point
  // file: sets the layout to read it with, false when cancelled.
  virtual bool ChooseImportLayout(const QString& file_name, const std::string& head,
                                  const zelmaro::DetectedLayout& detected,
                                  zelmaro::ImportLayout& layout);

  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 public:
  // RunHost: what the computation run reads from and writes to the window.
  std::string PointFileName() override;
  std::string ProjectDesignation() override;
  double ReferenceHeight() override;
  std::string ReferenceHeightText() override;
  void ProtocolBegins() override;
  void ShowProtocol(const std::vector<std::string>& lines) override;
  void KeepProtocol(const zelmaro::ProtocolLines& lines) override;
  void SetResultField(zelmaro::ResultField field, const std::string& text) override;
  void Coincidence() override;
  void Progress(const std::string& text) override;
  bool RunsWithoutProtocolFile() override { return true; }

  // The meshes and contour lines kept between runs and redraws.
  const zelmaro::MeshCache& Meshes() const { return mesh_cache_; }
  const zelmaro::ContourCache& ContourLines() const { return contour_cache_; }
  // Puts the last run's protocol into the pane; done when its page is shown.
  void FillProtocolPane();

 private:
  void SetProtocolText(const std::vector<std::string>& lines);
  // Work that may take a while: from its first progress text to its end the
  // wait cursor is shown and the text stands in the status bar, the window
  // repainted at each text. Scopes nest; the status bar gets back what it
  // showed before, unless something else was written there meanwhile.
  class BusyScope {
   public:
    explicit BusyScope(TForm1& form);
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    void Say(const QString& text);

   private:
    TForm1& form_;
    BusyScope* outer_;
    bool active_ = false;
    QString before_;
  };

  void CreateToolBar();
  void CreateInputPage();
  void CreateListPage();
  void CreatePlotPage();
  void CreateProtocolPage();
  void CreateCutFillPage();
  // The page "Auf- und Abtrag" from the workspace's figures.
  void ShowCutFill();
  // Reads the point file the open dialog gives, or the one given (a recent
  // file, a dropped one).
  void ChoosePointFile(bool set_limits, const QString& given = QString());
  // The menu bar over the tool bar's actions, and the recent files.
  void CreateMenuBar();
  void RememberPointFile(const QString& file);
  void FillRecentMenu();
  QString LastPointFolder() const;
  // The grid's edits are saved, or may go: asks when there are any. False
  // when the user cancels (the command that asked stops).
  bool ConfirmEditsSaved();
  // Saves the grid's points to a file the user chooses; false when cancelled.
  bool SavePoints();
  void ConnectGridChecks();
  // Marks a cell whose text the save would refuse; a decimal comma becomes
  // a point.
  void CheckGridCell(QTableWidgetItem* item);
  // Redraws the plot when its page is shown; a hidden one is drawn when shown.
  void RedrawShownPlot();
  // Before a chosen file is read: refuses a file that is no point file
  // (message box) and, for a file in another layout, or for every file when
  // the user asked for the import, lets the user choose the layout. False:
  // the file is left alone and nothing changes.
  bool PrepareImport(const QString& file_name, bool ask);
  // What the last read passed over, in the status bar; a file that is no
  // point file ends the command.
  void ShowReadReport(const QString& file_name);
  // The text of an open cell editor: taken as entered (what the user sees in
  // the cell is what a command of the menu or the tool bar works on), or
  // dropped.
  void FinishGridEdit(bool take_text);
  // The status bar names what the last run's meshes leave of their hulls.
  void ShowOutlineLoss();
  void SetPlotButtonsEnabled(bool enabled);
  bool ActivationFromWithinProgram() const;
  void WindowFocusChanged(QWindow* window);
  zelmaro::TNavMode NavMode() const;
  void WheelZoom(zelmaro::TZoom direction);
  // Empties the result fields and the protocol pane and drops the meshes of
  // the last run: they belong to the former point file.
  void ClearResults();
  // A point file that a run or a choice cannot read ends the command with a
  // report naming it.
  void RequireReadablePointFile(const QString& file_name);
  // A QPrinter whose job failed to start stays active and refuses every
  // later job and setting; a new one with the same settings takes its place.
  void RenewPrinter();
  // The interval's text; false while it is no number, which the field then
  // shows.
  bool IntervalText(std::string& text);
  void FitReferenceHeightField();

  zelmaro::Workspace ws;
  // What the last complete run reported, for exporting it; none while no
  // run has finished since the last failed one.
  std::unique_ptr<zelmaro::RunRecord> last_run_;
  zelmaro::MeshCache mesh_cache_;
  zelmaro::ContourCache contour_cache_{mesh_cache_};
  // The lines the pane shows next, kept with the run's record, while the
  // pane is not shown.
  zelmaro::ProtocolLines pending_protocol_;
  bool protocol_pending_ = false;
  // The grid was emptied for a newly chosen point file and is filled when its
  // page is shown; until then a save writes the points as read.
  bool grid_awaits_points_ = false;
  // The grid holds edits not yet saved (cells, inserted or deleted rows).
  bool grid_edited_ = false;
  bool filling_grid_ = false;
  // The reference height's value changed (and so ran) since last cleared.
  bool h0_changed_ = false;
  BusyScope* busy_ = nullptr;   // the innermost scope
  QString progress_text_;       // the last progress text shown
  TForm2* Form2 = nullptr;
  std::unique_ptr<QPrinter> printer_;
  QImage plot_bitmap_;
  int command_depth_ = 0;
  int wheel_rest_ = 0;  // angle of a high-resolution wheel not yet a notch
  bool coincidence_shown_ = false;  // in the current run
  QString outline_message_;         // the status bar's loss line, while shown
  bool program_page_change_ = false;
  bool import_asked_ = false;  // the next choice of a file shows the import dialog
  bool activated_once_ = false;
  int activation_count_ = 0;
  QPointer<QWindow> focus_current_;
  QPointer<QWindow> focus_previous_;
};

