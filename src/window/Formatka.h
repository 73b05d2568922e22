#pragma once
#include <QChar>
#include <QHash>
#include <QMainWindow>
#include <QSize>
#include <functional>
#include <memory>
#include <optional>

#include "model/State.h"
#include "window/Seams.h"

class QCheckBox;
class QLineEdit;
class StringGrid;

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
        moravel::window::Messages* messages = nullptr;   // not owned; none: Qt message boxes
        moravel::window::FileDialogs* dialogs = nullptr; // not owned; none: Qt file dialogs
        std::optional<QSize> screen;                     // none: the primary screen's size
        std::optional<QChar> decimalSeparator;           // none: the system locale's
    };

    explicit TFormatkaOkno(QWidget* parent = nullptr);
    explicit TFormatkaOkno(const Options& options, QWidget* parent = nullptr);
    ~TFormatkaOkno() override;

    // The controls of the design description.
    Ui::TFormatkaOkno* ui;

    moravel::window::Messages& messages() { return *messages_; }
    moravel::window::FileDialogs& dialogs() { return *dialogs_; }
    // Shows a file dialog offering the name chosen last time in the same dialog, and
    // remembers the new choice; nothing when the user cancels.
    std::optional<QString> AskFile(const moravel::window::FileDialogSpec& spec);
    QChar DecimalSeparator() const { return decimalSeparator_; }
    QSize ScreenSize() const { return screen_; }

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
    void BindGrid(StringGrid* grid, std::function<void()> onClick, std::function<void(int key)> onKey);
    // Background colour of an edit, in every state.
    static void SetBaseColor(QWidget* widget, const QColor& color);

    // ---- Start-up and menus
    void WysrodkowaniePaneluPowitalnego();
    void ImagePowitanieClick();
    void Autor1Click();
    void MenuPlikKoniecProgramuClick();
    // Commands carried out by the data files, the workbook and the chart; their menu items
    // stay disabled until these are defined and bound.
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

private:
    void ApplyDesignExtras();
    void LoadPictures();
    void BindHandlers();
    void LayOutForScreen();
    // The hour count for the computation state: the strict integer of the hour-count edit,
    // refused above the state's capacity.
    int HourCountForState();

    std::unique_ptr<moravel::window::Messages> ownMessages_;
    std::unique_ptr<moravel::window::FileDialogs> ownDialogs_;
    moravel::window::Messages* messages_ = nullptr;
    moravel::window::FileDialogs* dialogs_ = nullptr;
    QSize screen_;
    QChar decimalSeparator_;
    QHash<QString, QString> lastFileNames_;
    QHash<QObject*, std::function<void()>> changeHandlers_;
    float effectiveScratch_[moravel::model::kStateCapacity] = {};
};

// The largest hour count the rainfall table takes: the computation state holds this many hours.
constexpr int kMaxRainfallHours = moravel::model::kStateCapacity;
