#pragma once
#include <QChar>
#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QSize>
#include <array>
#include <vector>
#include <functional>
#include <memory>
#include <optional>

#include "model/Geom.h"
#include "model/ComputationInputs.h"
#include "model/HydrographTextInputs.h"
#include "model/LandUse.h"
#include "model/Random.h"
#include "import/Workbook.h"
#include "model/State.h"
#include "window/Seams.h"
#include "window/ZapisOdczytDanych.h"

class QCheckBox;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QMenu;
namespace moravel::window {
class ChartExport;
class StringGrid;
class SeriesWindow;
class DesignStormWindow;
class DesignFloodWindow;
class VariantsWindow;
struct UiAccess;
}  // namespace moravel::window
namespace moravel::import {
class RangePicker;
}

namespace Ui {
class TFormatkaOkno;
}

// The program's one window. Its controls hold all input as text; every handler is a method
// named after its control and event. Changes made by the program go through SetText,
// SetChecked and StringGrid::SelectCell, which run the control's handler directly, so chains
// of handlers run nested inside the user event that started them; each user event enters
// through Guarded, the one place where an error ends the command and is shown.
class TFormatkaOkno : public QMainWindow {
    Q_OBJECT
public:
    struct Options {
        moravel::window::Messages* messages = nullptr;              // not owned; none: Qt message boxes
        moravel::window::FileDialogs* dialogs = nullptr;            // not owned; none: Qt file dialogs
        moravel::window::WorkbookOpener* workbookOpener = nullptr;  // not owned; none: the desktop's
        moravel::model::UniformSource* random = nullptr;            // not owned; none: a clock-seeded one
        std::optional<QSize> screen;                                // none: the primary screen's size
        std::optional<QChar> decimalSeparator;                      // none: the system locale's
        moravel::window::Printing* printing = nullptr;              // not owned; none: Qt's print preview
        moravel::import::ReaderSettings reader;                     // how the workbook helper runs
    };

    explicit TFormatkaOkno(QWidget* parent = nullptr);
    explicit TFormatkaOkno(const Options& options, QWidget* parent = nullptr);
    ~TFormatkaOkno() override;

    moravel::window::Messages& messages() { return *messages_; }
    // The picker the import uses instead of its dialog (not owned), or null for the dialog.
    moravel::import::RangePicker* rangePicker() { return rangePicker_; }
    void SetRangePicker(moravel::import::RangePicker* picker) { rangePicker_ = picker; }
    // How the workbooks the commands read are handed to the helper that reads them.
    const moravel::import::ReaderSettings& Reader() const { return reader_; }
    void SetReader(const moravel::import::ReaderSettings& reader) { reader_ = reader; }
    // Shows a file dialog offering the name chosen last time in the same dialog, and
    // remembers the new choice; nothing when the user cancels. `filterIndex`, when given,
    // receives the chosen filter (FileDialogs::AskWithFilter).
    std::optional<QString> AskFile(const moravel::window::FileDialogSpec& dialogSpec, int* filterIndex = nullptr);
    // AskFile for a file to write: a name whose extension is none of the filter's gets the
    // chosen filter's (the first filter's with an extension when the chosen one has none).
    std::optional<QString> AskSaveFile(const moravel::window::FileDialogSpec& dialogSpec);
    // The screen the window was laid out for (Options::screen).
    QSize ScreenSize() const { return screen_; }
    QChar DecimalSeparator() const { return decimalSeparator_; }
    // The status bar's summary and the chart's context menu.
    moravel::window::ChartExport& chartExport() { return *chartExport_; }

    // What the two computations left for the chart and the report, and the land use they
    // read: the window owns both and only its handlers change them.
    const moravel::model::ComputationState& State() const { return state_; }
    const moravel::model::LandUseState& LandUse() const { return landUse_; }

    // ---- Typed doors for the file commands (window/ZapisOdczytDanych.cpp) and the import
    // (window/ExcelImportWindow.cpp), which reach the window through these rather than through
    // its controls. A setter that "runs its handler" goes through SetText / SetChecked: the
    // control's change handler runs exactly when the text differs, as after the user's own
    // change. A setter of a table cell runs nothing; the caller refreshes the table after.
    // The hour count Edit_Liczba_godzin_opadu; the setter runs its handler.
    QString RainHourCountText() const;
    void SetRainHourCountText(const QString& text);
    // "Podaj opad efektywny" (CheckBoxOpad); the setter runs its handler.
    bool EffectiveRainTyped() const;
    void SetEffectiveRainTyped(bool typed);
    // The rainfall and the typed effective rainfall of hour `hour` (1-based) in Tabela_Opad.
    QString RainfallText(int hour) const;
    void SetRainfallText(int hour, const QString& text);
    QString EffectiveRainText(int hour) const;
    void SetEffectiveRainText(int hour, const QString& text);
    // Whether the rainfall table shows its effective-rainfall column; dropping it leaves the
    // hour and rainfall columns.
    bool HasEffectiveRainColumn() const;
    void DropEffectiveRainColumn();
    // The km2 texts of the land-use grid Tabela_SCS.
    moravel::model::LandUseTexts LandUseAreaTexts() const;
    void SetLandUseAreaTexts(const moravel::model::LandUseTexts& texts);
    // The own class's curve numbers EditSCSA..D by soil group; the setter runs its handler.
    std::array<QString, moravel::model::kSoilGroups> OwnClassCurveNumberTexts() const;
    void SetOwnClassCurveNumberText(int soilGroup, const QString& text);
    // The seven parameter texts in the order of ParameterEdits(); the setter runs its handler.
    std::array<QString, 7> ParameterTexts() const;
    void SetParameterText(int index, const QString& text);
    // The three lines of the project memo Memo_Save_Projekt.
    void ShowProjectLines(const QString& text);

    // ---- Mechanisms
    // Runs a user event's handler; an error ends the whole command and is shown in the
    // error box. True when the handler finished without an error.
    bool Guarded(const std::function<void()>& handler);
    // Sets the text (or ticked state) when it differs, and then runs the control's handler.
    void SetText(QLineEdit* edit, const QString& text);
    void SetChecked(QCheckBox* box, bool checked);
    // Binds a control's handler: run by the user's changes (through Guarded) and by
    // SetText / SetChecked (directly).
    void BindChange(QLineEdit* edit, std::function<void()> handler);
    void BindClick(QCheckBox* box, std::function<void()> handler);
    // Binds a grid's click and key handlers, user events entering through Guarded.
    void BindGrid(moravel::window::StringGrid* grid, std::function<void()> onClick, std::function<void(int key)> onKey);
    // Background colour of an edit, in every state.
    static void SetBaseColor(QWidget* widget, const QColor& color);
    // The area field EditParametryPole: disabled and silver, or enabled in a mode's colour.
    void DisableAreaField();
    void EnableAreaField(const QColor& color);
    // Sets a label's caption; a label that sizes itself to its caption does so.
    void SetCaption(QLabel* label, const QString& text);

    // ---- Start-up and menus
    void WysrodkowaniePaneluPowitalnego();
    void ImagePowitanieClick();
    void Autor1Click();
    void MenuPlikKoniecProgramuClick();
    // Commands of the data files (window/ZapisOdczytDanych.cpp), the import
    // (window/ExcelImportWindow.cpp) and the computations (GeomOkno.cpp). The design leaves
    // the file and import items disabled, and binding a command enables its item; the
    // computations' menu opens once all seven parameters hold text.
    void MenuPlikZapiszProjektClick();
    void MenuPlikOtworzProjektClick();
    void MenuOpadNoweDaneClick();
    void MenuOpadImportujzExcelaClick();
    void MenuOpadZapiszClick();
    void MenuOpadOtworzClick();
    void MenuSCSNoweDaneClick();
    void MenuSCSZapiszClick();
    void MenuSCSOtworzClick();
    void MenuParametryKWNoweDaneClick();
    void MenuParametryKWZapiszClick();
    void MenuParametryKWOtworzClick();
    void MenuObliczeniaHydrogramClick();
    void MenuObliczeniaRaportExcelClick();
    // "Seria realizacji..." (SeriaOkno.cpp): opens the series window, one instance.
    void MenuObliczeniaSeriaClick();
    moravel::window::SeriesWindow* seriesWindow() const;
    // "Opad projektowy..." (OpadProjektowyOkno.cpp): opens the design-storm window, one instance.
    void MenuOpadOpadProjektowyClick();
    moravel::window::DesignStormWindow* designStormWindow() const;
    // "Przepływy projektowe..." (PrzeplywyProjektoweOkno.cpp): opens the design-flood window.
    void MenuObliczeniaPrzeplywyProjektoweClick();
    moravel::window::DesignFloodWindow* designFloodWindow() const;
    // "Porównanie wariantów..." (PorownanieWariantowOkno.cpp): opens the variants window, one instance.
    void MenuObliczeniaWariantyClick();
    moravel::window::VariantsWindow* variantsWindow() const;
    // Everything a computation reads, as the controls hold it.
    moravel::model::ComputationTexts ComputationTextsOfControls() const;
    // The inputs of a computation of its own (a series), read and checked once with the
    // messages of "Hydrogram"; nothing of the window's state is written.
    moravel::model::ComputationInputs ComputationInputsFromControls();
    // The same with the rainfall replaced by a design storm's hourly texts (its hour count
    // theirs); `warn` false leaves out the land-use warnings already shown for another storm.
    moravel::model::ComputationInputs ComputationInputsWithRainfall(const std::vector<QString>& rainfall, bool warn);
    // The message about a land-use cell that is not a number.
    void WarnInvalidLandUseCell();

    // ---- Rainfall panel
    void Edit_Liczba_godzin_opaduChange();
    void Tabela_OpadClick();
    void KlawiszEnterTabela_Opad(int key);
    void CheckBoxOpadClick();
    // Every rainfall cell of the present hour count is filled.
    bool RainfallComplete();
    // Effective rainfall from the table and the averaged curve number into the computation
    // state and the table's column "Hef [mm]"; in direct mode the typed column is copied.
    void ComputeEffectiveRain();

    // ---- Land-use panel (SCS.cpp)
    // Averaged curve number and total area of the km2 grid into their captions.
    void ComputeAveragedCurveNumber();
    // The user's own curve number of row "Inny:" for soil group 0..3 (A..D).
    void ReadOtherCurveNumber(int soilGroup);
    // What a change of any of EditSCSA..D runs, for its soil group.
    void OtherCurveNumberChange(int soilGroup);
    void PercentToArea();
    void AreaToPercent();
    void ShowPercentSum();
    void CopyAreaWhenPercentComplete();
    void EditSCSAChange();
    void EditSCSBChange();
    void EditSCSCChange();
    void EditSCSDChange();
    void Tabela_SCSClick();
    void Tabela_SCS_ProcentClick();
    void KlawiszEnterTabela_SCS(int key);
    void KlawiszEnterTabela_SCS_Procent(int key);
    void RadioGroup_CNlubKM2Click();
    void EditParametryPoleChange();
    void CheckAreaField();
    // Direct effective rainfall with an area in the area field: that typed area is the
    // catchment area, whatever the land-use grid adds up to.
    bool TypedAreaIsCatchmentArea() const;
    // Books the typed area as "Inny:" land of group D with CN 100 and shows it as the
    // catchment area.
    void BookTypedArea();

    // ---- Parameter panel and the hydrograph (GeomOkno.cpp)
    // The seven parameter edits in the order of the Enter cycle: RB, RL, RA, So, Lo, b, n.
    std::array<QLineEdit*, 7> ParameterEdits() const;
    // Warns about a text that is not a real number; enables "Obliczenia" once all seven
    // parameters hold text.
    void CheckParameterField(QLineEdit* edit);
    // Enter and Down arrow move the focus to the next parameter edit.
    void EditParametryEnter(QLineEdit* edit, int key);
    // The hydrograph of the present texts into the computation state.
    void ComputeHydrograph();
    void ShowHydrographChart();

    // The working panels (rainfall, land use, parameters, chart, licence and the project
    // memo, about three hundred controls) are not part of the welcome screen. Every command
    // that reads or fills them calls this at its entry (the welcome click, the menu commands,
    // a file opened from the desktop); it builds them, hidden as designed, the first time.
    void BuildWorkingPanels();
    bool PanelsBuilt() const { return panelsBuilt_; }

    // ---- Unsaved work
    // What a save of `kind` would store now is what was last stored or opened (the file
    // commands call this after a save, an open and "Nowe dane").
    void MarkStored(moravel::window::DataKind kind);
    // The kinds of data changed since they were last stored or opened.
    QList<moravel::window::DataKind> UnsavedKinds() const;
    // Whether the program may end: at once when nothing would be lost, else after asking
    // ("Zapisz projekt..." saves the changed data and the project first; "Anuluj" keeps the
    // program running).
    bool MayEnd();

protected:
    // Closing by the window manager asks as "Koniec programu" does.
    void closeEvent(QCloseEvent* event) override;

private:
    friend struct moravel::window::UiAccess;
    // The controls of the design description: window/ and the tests reach them through
    // window/FormatkaUi.h. The frame (menus, background, titles, the welcome panel) is built
    // with the window and reached through form_; the working panels through `ui`, once a
    // command has built them (BuildWorkingPanels). Reaching them before is a fault of the
    // program, stopped at once with its reason rather than left to a null pointer.
    class Controls {
    public:
        explicit Controls(const TFormatkaOkno& window) : window_(window) {}
        Ui::TFormatkaOkno* operator->() const { return &window_.BuiltPanels(); }
        Ui::TFormatkaOkno& operator*() const { return window_.BuiltPanels(); }

    private:
        const TFormatkaOkno& window_;
    };
    std::unique_ptr<Ui::TFormatkaOkno> form_;
    Controls ui{*this};
    bool panelsBuilt_ = false;
    // The filter that opens files dropped on the window, installed on every control.
    QObject* dropFilter_ = nullptr;

    // The controls, the working panels among them.
    Ui::TFormatkaOkno& BuiltPanels() const;
    void ApplyDesignExtras(QWidget* root);
    void UseWindowFontInMenus();
    void FitCaptions();
    void FitValueCaptions();
    // The own class's curve-number edits EditSCSA..D, by soil group.
    std::array<QLineEdit*, moravel::model::kSoilGroups> OwnClassEdits() const;
    // The seven parameters' texts, and with the area caption and hour count as the
    // hydrograph reads them.
    moravel::model::CatchmentParameterTexts ParameterTextsOfControls() const;
    moravel::model::HydrographTexts HydrographTextsOfControls() const;
    void LoadPictures();
    void BindHandlers();
    void BindPanelHandlers();
    void BindLandUsePanel();
    void BindParameterPanel();
    // Appends an item (named `name`) at the end of `menu`, after the menu's own items, which
    // keep their places; it is usable exactly when the menu's other items are, and its handler
    // runs guarded.
    void AppendMenuCommand(QMenu* menu, const QString& caption, const QString& name, void (TFormatkaOkno::*handler)());
    // Shows the one window of its kind, made on first use, in front.
    template <typename W>
    void ShowOwnWindow(QPointer<W>& window)
    {
        BuildWorkingPanels();
        if (!window)
            window = new W(*this);
        window->show();
        window->raise();
        window->activateWindow();
    }
    void BindSeriesCommand();
    void BindDesignStormCommand();
    void BindDesignFloodCommand();
    void BindVariantsCommand();
    moravel::model::LandUseTexts GridTexts(const moravel::window::StringGrid* grid) const;
    void SetGridTexts(moravel::window::StringGrid* grid, const moravel::model::LandUseTexts& texts);
    float PercentSumOfGrid() const;
    void LayOutForScreen();
    // The hour count for the computation state: the strict integer of the hour-count edit,
    // refused above the state's capacity.
    int HourCountForState();
    // The SCS run of ComputeEffectiveRain on the rainfall column and the curve-number caption.
    void ComputeScsEffectiveRain(const QString& curveNumberCaption);
    // Direct mode: the typed effective rainfall of one hour into the computation state.
    void StoreTypedEffectiveRain(int hour);

    std::unique_ptr<moravel::window::Messages> ownMessages_;
    std::unique_ptr<moravel::window::FileDialogs> ownDialogs_;
    std::unique_ptr<moravel::window::WorkbookOpener> ownOpener_;
    std::unique_ptr<moravel::window::Printing> ownPrinting_;
    moravel::window::ChartExport* chartExport_ = nullptr;  // a child of the window
    moravel::window::Messages* messages_ = nullptr;
    moravel::window::FileDialogs* dialogs_ = nullptr;
    moravel::window::WorkbookOpener* opener_ = nullptr;
    std::unique_ptr<moravel::model::UniformSource> ownRandom_;
    moravel::model::UniformSource* random_ = nullptr;
    moravel::model::ComputationState state_;
    moravel::model::LandUseState landUse_;
    // The hydrograph's working storage, kept between runs.
    moravel::model::HydrographWorkspace workspace_;
    // How many changes of the area field are running nested in one another (the % mode
    // write-back of the total area).
    int areaChangeDepth_ = 0;
    moravel::import::RangePicker* rangePicker_ = nullptr;
    moravel::import::ReaderSettings reader_;
    QSize screen_;
    QChar decimalSeparator_;
    QHash<QString, QString> lastFileNames_;
    QHash<QObject*, std::function<void()>> changeHandlers_;
    QPointer<moravel::window::SeriesWindow> seriesWindow_;
    QPointer<moravel::window::DesignStormWindow> designStormWindow_;
    QPointer<moravel::window::DesignFloodWindow> designFloodWindow_;
    QPointer<moravel::window::VariantsWindow> variantsWindow_;
    // What each kind of data held when it was last stored or opened (DataKind order).
    std::array<QStringList, 3> storedTexts_;
    // The user has already agreed to end the program (no second question on the way out).
    bool endAgreed_ = false;
};

// The largest hour count the rainfall table takes: the computation state holds this many hours.
constexpr int kMaxRainfallHours = moravel::model::kStateCapacity;

namespace moravel::window {

// The columns of the rainfall table Tabela_Opad.
enum RainfallColumn { kHourColumn = 0, kRainfallColumn = 1, kEffectiveRainColumn = 2 };

// Room for the rainfall table's scroll bar once it has more rows than it shows.
constexpr int kScrollBarRoom = 20;
// The room given where the effective rainfall is written into a table that already has
// its column (the table is made wider again by the refresh that follows a click).
constexpr int kNarrowScrollBarRoom = 10;

// The rainfall table's width in pixels: 105 with the hour and rainfall columns, 160 with the
// effective-rainfall column too, and `scrollBarRoom` more when its `rows` (the header row
// included) are more than 39.
int RainfallTableWidth(int columns, int rows, int scrollBarRoom = kScrollBarRoom);

}  // namespace moravel::window
