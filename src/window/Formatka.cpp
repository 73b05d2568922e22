#include "window/Formatka.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QScreen>

#include "files/ZapisOdczytDanych.h"
#include "text/Error.h"
#include "text/NumText.h"
#include "ui_Formatka.h"
#include "window/Captions.h"
#include "window/ChartExport.h"
#include "window/DesktopOpen.h"
#include "window/RainfallClipboard.h"
#include "window/JpegImage.h"
#include "window/QtSeams.h"
#include "window/StringGrid.h"

using moravel::window::kEffectiveRainColumn;
using moravel::window::kHourColumn;
using moravel::window::kRainfallColumn;
using moravel::window::StringGrid;

namespace {

using moravel::window::FileDialogSpec;

const QColor kMoneyGreen(192, 220, 192);

const QString kHourLimitText = QStringLiteral("Liczba godzin opadu nie może przekraczać 1000!");

// Turns mouse presses on a picture into its click handler.
class ClickFilter : public QObject {
public:
    ClickFilter(QObject* parent, std::function<void()> onClick) : QObject(parent), onClick_(std::move(onClick)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress) {
            onClick_();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onClick_;
};

QPixmap PictureFor(const QString& resource, const QSize& box)
{
    const QImage image = moravel::window::LoadJpeg(resource, box);
    if (image.isNull())
        return {};
    return QPixmap::fromImage(image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

}  // namespace

TFormatkaOkno::TFormatkaOkno(QWidget* parent) : TFormatkaOkno(Options{}, parent) {}

TFormatkaOkno::TFormatkaOkno(const Options& options, QWidget* parent) : QMainWindow(parent), ui(new Ui::TFormatkaOkno)
{
    Q_INIT_RESOURCE(assets);
    if (options.messages) {
        messages_ = options.messages;
    } else {
        ownMessages_ = std::make_unique<moravel::window::QtMessages>(this);
        messages_ = ownMessages_.get();
    }
    if (options.dialogs) {
        dialogs_ = options.dialogs;
    } else {
        ownDialogs_ = std::make_unique<moravel::window::QtFileDialogs>(this);
        dialogs_ = ownDialogs_.get();
    }
    if (options.workbookOpener) {
        opener_ = options.workbookOpener;
    } else {
        ownOpener_ = std::make_unique<moravel::window::QtWorkbookOpener>(*messages_);
        opener_ = ownOpener_.get();
    }
    if (options.random) {
        random_ = options.random;
    } else {
        ownRandom_ = std::make_unique<moravel::model::ClockSeededSource>();
        random_ = ownRandom_.get();
    }
    if (options.screen) {
        screen_ = *options.screen;
    } else if (QScreen* primary = QGuiApplication::primaryScreen()) {
        screen_ = primary->size();
    } else {
        screen_ = QSize(1024, 768);
    }
    if (options.decimalSeparator) {
        decimalSeparator_ = *options.decimalSeparator;
    } else {
        const QString point = QLocale::system().decimalPoint();
        decimalSeparator_ = point.isEmpty() ? QLatin1Char('.') : point.front();
    }

    ui->setupUi(this);
    ApplyDesignExtras();
    LoadPictures();
    BindHandlers();
    if (!options.printing)
        ownPrinting_ = std::make_unique<moravel::window::QtPrinting>(this);
    chartExport_ = new moravel::window::ChartExport(*this, options.printing ? *options.printing : *ownPrinting_);
    moravel::window::BindRainfallClipboard(*this);
    moravel::window::BindFileDrops(*this);
    UseWindowFontInMenus();
    WysrodkowaniePaneluPowitalnego();
    LayOutForScreen();
}

TFormatkaOkno::~TFormatkaOkno()
{
    delete ui;
}

// Settings that the design description keeps as plain properties: pixel font sizes (the
// land-use panel's small font, the raised "2" of km2 and m2) and labels that size
// themselves to their caption.
void TFormatkaOkno::ApplyDesignExtras()
{
    QList<QWidget*> widgets = findChildren<QWidget*>();
    // Parents first, so that a panel's font reaches its labels before they size themselves.
    widgets.prepend(this);
    for (QWidget* w : widgets) {
        const QVariant px = w->property("fontPixelSize");
        if (px.isValid()) {
            QFont font = w->font();
            font.setPixelSize(px.toInt());
            w->setFont(font);
        }
    }
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label->property("autoSize").toBool())
            label->adjustSize();
    }
    ui->Memo_Save_Projekt->setPlainText(QStringLiteral("\n"));
    DisableAreaField();
    FitCaptions();
}

// Captions that would run under their edit with the window's font are condensed to end
// before it; the raised "2"s follow the "m" they belong to; the value captions shown over a
// run of blanks make room for themselves.
void TFormatkaOkno::FitCaptions()
{
    const std::pair<QLabel*, QLineEdit*> beforeEdits[] = {
        {ui->Liczba_godzin_opadu, ui->Edit_Liczba_godzin_opadu},
        {ui->LabelParametryRB, ui->EditParametryRB},
        {ui->LabelParametryRL, ui->EditParametryRL},
        {ui->LabelParametryRA, ui->EditParametryRA},
        {ui->LabelParametrySo, ui->EditParametrySo},
        {ui->LabelParametryLo, ui->EditParametryLo},
        {ui->LabelParametryb, ui->EditParametryb},
        {ui->LabelParametryn, ui->EditParametryn},
        {ui->LabelParametryPole, ui->EditParametryPole},
    };
    for (const auto& [label, edit] : beforeEdits)
        moravel::window::FitBeforeEdit(label, edit);
    const std::pair<QLabel*, QLabel*> squareMetres[] = {
        {ui->LabelKwadrat2, ui->LabelSCS12}, {ui->LabelKwadrat3, ui->LabelSCS13}, {ui->LabelKwadrat4, ui->LabelSCS14},
        {ui->LabelKwadrat5, ui->LabelSCS15}, {ui->LabelKwadrat6, ui->LabelSCS16},
    };
    for (const auto& [superscript, caption] : squareMetres)
        moravel::window::RaiseAfterUnit(superscript, caption);
    FitValueCaptions();
}

void TFormatkaOkno::FitValueCaptions()
{
    moravel::window::MakeRoomForValue(ui->LabelSCSPowierzchnia, ui->LabelSCSPowierzchniaWartosc, ui->LabelKwadrat1);
    moravel::window::MakeRoomForValue(ui->LabelSCSProcenty, ui->LabelSCSProcentyWartosc);
}

// A menu pops up as a window of its own and so would take the application's (larger)
// default font; the window's menus show in the window's font like everything else in it.
void TFormatkaOkno::UseWindowFontInMenus()
{
    for (QMenu* menu : findChildren<QMenu*>())
        menu->setFont(font());
}

void TFormatkaOkno::LoadPictures()
{
    const QImage background = moravel::window::LoadJpeg(QStringLiteral(":/tlo.jpg"));
    if (!background.isNull())
        ui->ImageTlo->setPixmap(QPixmap::fromImage(background));  // stretched to the control
    ui->ImagePowitanie->setPixmap(PictureFor(QStringLiteral(":/powitanie.jpg"), ui->ImagePowitanie->size()));
    ui->ImageLicencja->setPixmap(PictureFor(QStringLiteral(":/logo.jpg"), ui->ImageLicencja->size()));
}

void TFormatkaOkno::BindHandlers()
{
    ui->ImagePowitanie->installEventFilter(
        new ClickFilter(this, [this] { Guarded([this] { ImagePowitanieClick(); }); }));

    connect(ui->Autor1, &QAction::triggered, this, [this] { Guarded([this] { Autor1Click(); }); });
    connect(ui->MenuPlikKoniecProgramu, &QAction::triggered, this,
            [this] { Guarded([this] { MenuPlikKoniecProgramuClick(); }); });

    BindChange(ui->Edit_Liczba_godzin_opadu, [this] { Edit_Liczba_godzin_opaduChange(); });
    BindClick(ui->CheckBoxOpad, [this] { CheckBoxOpadClick(); });
    BindGrid(
        ui->Tabela_Opad, [this] { Tabela_OpadClick(); }, [this](int key) { KlawiszEnterTabela_Opad(key); });
    BindLandUsePanel();
    BindParameterPanel();
    // The items of "Plik", "Opad", "SCS" and "Parametry KW" that the data-file commands
    // carry out; the design leaves them disabled, and binding a command enables its item.
    const std::pair<QAction*, void (TFormatkaOkno::*)()> fileItems[] = {
        {ui->MenuPlikZapiszProjekt, &TFormatkaOkno::MenuPlikZapiszProjektClick},
        {ui->MenuPlikOtworzProjekt, &TFormatkaOkno::MenuPlikOtworzProjektClick},
        {ui->MenuOpadNoweDane, &TFormatkaOkno::MenuOpadNoweDaneClick},
        {ui->MenuOpadZapisz, &TFormatkaOkno::MenuOpadZapiszClick},
        {ui->MenuOpadOtworz, &TFormatkaOkno::MenuOpadOtworzClick},
        {ui->MenuSCSNoweDane, &TFormatkaOkno::MenuSCSNoweDaneClick},
        {ui->MenuSCSZapisz, &TFormatkaOkno::MenuSCSZapiszClick},
        {ui->MenuSCSOtworz, &TFormatkaOkno::MenuSCSOtworzClick},
        {ui->MenuParametryKWNoweDane, &TFormatkaOkno::MenuParametryKWNoweDaneClick},
        {ui->MenuParametryKWZapisz, &TFormatkaOkno::MenuParametryKWZapiszClick},
        {ui->MenuParametryKWOtworz, &TFormatkaOkno::MenuParametryKWOtworzClick},
    };
    for (const auto& [action, handler] : fileItems) {
        connect(action, &QAction::triggered, this,
                [this, handler = handler] { Guarded([this, handler] { (this->*handler)(); }); });
        action->setEnabled(true);
    }
    BindSeriesCommand();
    connect(ui->MenuOpadImportujzExcela, &QAction::triggered, this,
            [this] { Guarded([this] { MenuOpadImportujzExcelaClick(); }); });
    ui->MenuOpadImportujzExcela->setEnabled(true);
}

// ---- Mechanisms

bool TFormatkaOkno::Guarded(const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (const moravel::Error& error) {
        messages_->Error(moravel::window::WithFullStop(error.text()));
        return false;
    }
}

void TFormatkaOkno::SetText(QLineEdit* edit, const QString& text)
{
    if (edit->text() == text)
        return;
    {
        const QSignalBlocker blocker(edit);
        edit->setText(text);
        edit->setCursorPosition(0);  // a text set by the program shows from its beginning
    }
    if (const auto handler = changeHandlers_.value(edit))
        handler();
}

void TFormatkaOkno::SetChecked(QCheckBox* box, bool checked)
{
    if (box->isChecked() == checked)
        return;
    {
        const QSignalBlocker blocker(box);
        box->setChecked(checked);
    }
    if (const auto handler = changeHandlers_.value(box))
        handler();
}

void TFormatkaOkno::BindChange(QLineEdit* edit, std::function<void()> handler)
{
    changeHandlers_.insert(edit, handler);
    connect(edit, &QLineEdit::textChanged, this, [this, handler] { Guarded(handler); });
}

void TFormatkaOkno::BindClick(QCheckBox* box, std::function<void()> handler)
{
    changeHandlers_.insert(box, handler);
    connect(box, &QCheckBox::toggled, this, [this, handler] { Guarded(handler); });
}

void TFormatkaOkno::BindGrid(StringGrid* grid, std::function<void()> onClick, std::function<void(int key)> onKey)
{
    grid->onClick = std::move(onClick);
    grid->onKey = std::move(onKey);
    grid->userEntry = [this](const std::function<void()>& handler) { return Guarded(handler); };
}

void TFormatkaOkno::DisableAreaField()
{
    ui->EditParametryPole->setEnabled(false);
    SetBaseColor(ui->EditParametryPole, QColor(192, 192, 192));
}

void TFormatkaOkno::EnableAreaField(const QColor& color)
{
    ui->EditParametryPole->setEnabled(true);
    SetBaseColor(ui->EditParametryPole, color);
}

void TFormatkaOkno::SetBaseColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Active, QPalette::Base, color);
    palette.setColor(QPalette::Inactive, QPalette::Base, color);
    palette.setColor(QPalette::Disabled, QPalette::Base, color);
    // The text of a disabled edit stays readable on silver.
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(109, 109, 109));
    widget->setPalette(palette);
}

void TFormatkaOkno::SetCaption(QLabel* label, const QString& text)
{
    label->setText(text);
    if (label->property("autoSize").toBool())
        label->adjustSize();
    if (label == ui->LabelSCSPowierzchniaWartosc || label == ui->LabelSCSProcentyWartosc)
        FitValueCaptions();
}

std::optional<QString> TFormatkaOkno::AskFile(const FileDialogSpec& dialogSpec, int* filterIndex)
{
    const QString lastName = lastFileNames_.value(dialogSpec.name);
    int chosenFilter = -1;
    std::optional<QString> chosen =
        filterIndex ? dialogs_->AskWithFilter(dialogSpec, lastName, chosenFilter) : dialogs_->Ask(dialogSpec, lastName);
    if (filterIndex)
        *filterIndex = chosenFilter;
    if (chosen)
        lastFileNames_.insert(dialogSpec.name, *chosen);
    return chosen;
}

// ---- Typed doors

QString TFormatkaOkno::RainHourCountText() const
{
    return ui->Edit_Liczba_godzin_opadu->text();
}

void TFormatkaOkno::SetRainHourCountText(const QString& text)
{
    SetText(ui->Edit_Liczba_godzin_opadu, text);
}

bool TFormatkaOkno::EffectiveRainTyped() const
{
    return ui->CheckBoxOpad->isChecked();
}

void TFormatkaOkno::SetEffectiveRainTyped(bool typed)
{
    SetChecked(ui->CheckBoxOpad, typed);
}

QString TFormatkaOkno::RainfallText(int hour) const
{
    return ui->Tabela_Opad->Cell(moravel::window::kRainfallColumn, hour);
}

void TFormatkaOkno::SetRainfallText(int hour, const QString& text)
{
    ui->Tabela_Opad->SetCell(moravel::window::kRainfallColumn, hour, text);
}

QString TFormatkaOkno::EffectiveRainText(int hour) const
{
    return ui->Tabela_Opad->Cell(moravel::window::kEffectiveRainColumn, hour);
}

void TFormatkaOkno::SetEffectiveRainText(int hour, const QString& text)
{
    ui->Tabela_Opad->SetCell(moravel::window::kEffectiveRainColumn, hour, text);
}

bool TFormatkaOkno::HasEffectiveRainColumn() const
{
    return ui->Tabela_Opad->ColCount() > moravel::window::kEffectiveRainColumn;
}

void TFormatkaOkno::DropEffectiveRainColumn()
{
    ui->Tabela_Opad->SetColCount(moravel::window::kEffectiveRainColumn);
}

moravel::model::LandUseTexts TFormatkaOkno::LandUseAreaTexts() const
{
    return GridTexts(ui->Tabela_SCS);
}

void TFormatkaOkno::SetLandUseAreaTexts(const moravel::model::LandUseTexts& texts)
{
    SetGridTexts(ui->Tabela_SCS, texts);
}

std::array<QString, moravel::model::kSoilGroups> TFormatkaOkno::OwnClassCurveNumberTexts() const
{
    std::array<QString, moravel::model::kSoilGroups> texts;
    const auto edits = OwnClassEdits();
    for (size_t g = 0; g < edits.size(); ++g)
        texts[g] = edits[g]->text();
    return texts;
}

void TFormatkaOkno::SetOwnClassCurveNumberText(int soilGroup, const QString& text)
{
    SetText(OwnClassEdits()[static_cast<size_t>(soilGroup)], text);
}

std::array<QString, 7> TFormatkaOkno::ParameterTexts() const
{
    std::array<QString, 7> texts;
    const auto edits = ParameterEdits();
    for (size_t i = 0; i < edits.size(); ++i)
        texts[i] = edits[i]->text();
    return texts;
}

void TFormatkaOkno::SetParameterText(int index, const QString& text)
{
    SetText(ParameterEdits()[static_cast<size_t>(index)], text);
}

void TFormatkaOkno::ShowProjectLines(const QString& text)
{
    ui->Memo_Save_Projekt->setPlainText(text);
}

int moravel::window::RainfallTableWidth(int columns, int rows, int scrollBarRoom)
{
    const int width = columns > kEffectiveRainColumn ? 160 : 105;
    return rows > 39 ? width + scrollBarRoom : width;
}

// ---- Start-up and menus

void TFormatkaOkno::WysrodkowaniePaneluPowitalnego()
{
    using moravel::text::RoundHalfEven;
    const int top = RoundHalfEven(screen_.height() / 2.0 - 200);
    const int left = RoundHalfEven(screen_.width() / 2.0 - 250);
    ui->PanelPowitalny->move(left, top);
}

void TFormatkaOkno::LayOutForScreen()
{
    resize(screen_);
    move(0, 0);  // the window has the screen's size, so centred means at the screen's origin
    if (QScreen* primary = QGuiApplication::primaryScreen())
        move(primary->geometry().topLeft());
    ui->ImageTlo->resize(screen_.width() - 20, screen_.height() - 90);
    ui->Wykres->resize(screen_.width() - 220, ui->Wykres->height());
}

void TFormatkaOkno::ImagePowitanieClick()
{
    ui->PanelPowitalny->hide();
    ui->PanelOpad->show();
    ui->PanelSCS->show();
    ui->PanelParametry->show();
    ui->PanelLicencja->show();
}

void TFormatkaOkno::Autor1Click()
{
    // Five lines: the two authors with their addresses, and the year.
    messages_->Info(
        QStringLiteral("Zespół Moravel A\nzespol.a@example.invalid\nZespół Moravel B\n"
                       "zespol.b@example.invalid\n2004"));
}

void TFormatkaOkno::MenuPlikKoniecProgramuClick()
{
    QApplication::quit();
}

// ---- Rainfall panel

bool TFormatkaOkno::RainfallComplete()
{
    const int hours = moravel::text::StrToIntDef(ui->Edit_Liczba_godzin_opadu->text(), 2);
    for (int i = 1; i <= hours; ++i) {
        if (RainfallText(i).isEmpty())
            return false;
    }
    return true;
}

void TFormatkaOkno::Edit_Liczba_godzin_opaduChange()
{
    StringGrid* table = ui->Tabela_Opad;
    ui->CheckBoxOpad->setEnabled(true);
    table->show();
    table->SetCell(kHourColumn, 0, QStringLiteral("godzina"));
    table->SetCell(kRainfallColumn, 0, QStringLiteral("Opad [mm]"));
    table->SetColWidth(kHourColumn, 44);
    table->SetColWidth(kRainfallColumn, 60);

    const QString text = ui->Edit_Liczba_godzin_opadu->text();
    int hours = 1;
    bool tooMany = false;
    if (!text.isEmpty() && !moravel::text::TryStrToInt(text, hours)) {
        hours = 2;
        messages_->Info(QStringLiteral("Wprowadź liczbę naturalną!"));
    } else if (hours > kMaxRainfallHours) {
        // The computation state holds no more hours than this.
        messages_->Info(kHourLimitText);
        hours = kMaxRainfallHours;
        tooMany = true;
    }
    table->SetRowCount(std::max(hours + 1, 1));
    for (int i = 1; i <= hours; ++i)
        table->SetCell(kHourColumn, i, moravel::text::FormatInt(i));
    if (!tooMany && hours > 1 && RainfallComplete())
        ComputeEffectiveRain();
}

void TFormatkaOkno::Tabela_OpadClick()
{
    if (RainfallComplete())
        ComputeEffectiveRain();
    StringGrid* table = ui->Tabela_Opad;
    if (table->ColCount() == kEffectiveRainColumn || table->ColCount() == kEffectiveRainColumn + 1)
        table->SetGridWidth(moravel::window::RainfallTableWidth(table->ColCount(), table->RowCount()));
}

void TFormatkaOkno::KlawiszEnterTabela_Opad(int key)
{
    Tabela_OpadClick();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        StringGrid* table = ui->Tabela_Opad;
        const int hours = moravel::text::StrToInt(ui->Edit_Liczba_godzin_opadu->text());
        if (hours > table->SelectedRow())
            table->SelectCell(table->SelectedCol(), table->SelectedRow() + 1);
    }
}

int TFormatkaOkno::HourCountForState()
{
    const int hours = moravel::text::StrToInt(ui->Edit_Liczba_godzin_opadu->text());
    if (hours > kMaxRainfallHours)
        throw moravel::Error(kHourLimitText);
    return hours;
}

void TFormatkaOkno::CheckBoxOpadClick()
{
    StringGrid* table = ui->Tabela_Opad;
    if (ui->CheckBoxOpad->isChecked()) {
        ui->TabelaOpadZaslona->show();
        table->SetGridWidth(moravel::window::RainfallTableWidth(kEffectiveRainColumn + 1, 0));
        table->SetColCount(kEffectiveRainColumn + 1);
        table->SetFixedCols(2);
        EnableAreaField(kMoneyGreen);
        ui->Tabela_SCS->setEnabled(false);
        table->SetCell(kEffectiveRainColumn, 0, QStringLiteral("Hef [mm]"));
        const int hours = HourCountForState();
        for (int i = 1; i <= hours; ++i) {
            StoreTypedEffectiveRain(i);
            table->SetCell(kRainfallColumn, i, QStringLiteral("1"));
        }
    } else {
        ui->TabelaOpadZaslona->hide();
        table->SetFixedCols(1);
        DisableAreaField();
        ui->Tabela_SCS->setEnabled(true);
        Tabela_OpadClick();
        const int hours = HourCountForState();
        for (int i = 1; i <= hours; ++i)
            table->SetCell(kRainfallColumn, i, QStringLiteral("1"));
    }
}
