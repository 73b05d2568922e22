#include "window/Formatka.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCheckBox>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QScreen>
#include <initializer_list>

#include "window/ZapisOdczytDanych.h"
#include "text/Error.h"
#include "text/NumText.h"
#include "window/FormatkaUi.h"
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

// A picture decoded at the size it is shown: stretched to `box`, or as large as fits in it.
QPixmap PictureFor(const QString& resource, const QSize& box, Qt::AspectRatioMode mode = Qt::KeepAspectRatio)
{
    QImage image = moravel::window::LoadJpegScaled(resource, box, mode);
    if (image.isNull())
        return {};
    return QPixmap::fromImage(std::move(image));
}

}  // namespace

TFormatkaOkno::TFormatkaOkno(QWidget* parent) : TFormatkaOkno(Options{}, parent) {}

TFormatkaOkno::TFormatkaOkno(const Options& options, QWidget* parent)
    : QMainWindow(parent), form_(std::make_unique<Ui::TFormatkaOkno>())
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
    reader_ = options.reader;
    if (options.decimalSeparator) {
        decimalSeparator_ = *options.decimalSeparator;
    } else {
        const QString point = QLocale::system().decimalPoint();
        decimalSeparator_ = point.isEmpty() ? QLatin1Char('.') : point.front();
    }

    // What the first paint shows: the menus, the background, the titles and the welcome
    // panel. The working panels wait until they are first needed (BuildWorkingPanels).
    form_->Ui::TFormatkaOknoRama::setupUi(this);
    ApplyDesignExtras(this);
    BindHandlers();
    if (!options.printing)
        ownPrinting_ = std::make_unique<moravel::window::QtPrinting>(this);
    chartExport_ = new moravel::window::ChartExport(*this, options.printing ? *options.printing : *ownPrinting_);
    dropFilter_ = moravel::window::BindFileDrops(*this);
    UseWindowFontInMenus();
    WysrodkowaniePaneluPowitalnego();
    LayOutForScreen();
    LoadPictures();
}

TFormatkaOkno::~TFormatkaOkno()
{
    // The chart's filter on the central widget asks this window for its parts; the events
    // the central widget still gets while the window is taken apart must not reach it.
    if (QWidget* central = centralWidget())
        central->removeEventFilter(chartExport_);
}

Ui::TFormatkaOkno& TFormatkaOkno::BuiltPanels() const
{
    if (!panelsBuilt_)
        qFatal("The working panels were reached before a command built them (BuildWorkingPanels)");
    return *form_;
}

// The working panels: about three hundred controls with their tables and the chart, which
// the welcome screen does not show. Built once, hidden as designed, in their designed place
// among the window's controls (behind the welcome panel), bound and fitted as the frame is.
void TFormatkaOkno::BuildWorkingPanels()
{
    if (panelsBuilt_)
        return;
    panelsBuilt_ = true;  // from here on `ui` hands the controls out
    form_->Ui::TFormatkaOknoPanele::setupUi(form_->centralwidget);
    form_->PanelPowitalny->raise();
    // The tab order goes through the panels first, then the titles and the welcome panel.
    QWidget* const tabOrder[] = {form_->Wykres,        form_->EditTytul1,
                                 form_->EditTytul2,    form_->Memo_Save_Projekt,
                                 form_->PanelLicencja, form_->PanelPowitalny};
    for (size_t i = 1; i < std::size(tabOrder); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    for (QWidget* panel :
         std::initializer_list<QWidget*>{form_->PanelOpad, form_->PanelSCS, form_->PanelParametry, form_->Wykres,
                                         form_->PanelLicencja, form_->Memo_Save_Projekt}) {
        ApplyDesignExtras(panel);
        moravel::window::CoverWithFileDrops(dropFilter_, panel);
    }
    form_->Memo_Save_Projekt->setPlainText(QStringLiteral("\n"));
    DisableAreaField();
    FitCaptions();
    form_->ImageLicencja->setPixmap(PictureFor(QStringLiteral(":/logo.jpg"), form_->ImageLicencja->size()));
    BindPanelHandlers();
    for (const moravel::window::DataKind kind : moravel::window::kDataKinds)
        MarkStored(kind);
    chartExport_->BindChart();
    moravel::window::BindRainfallClipboard(*this);
    form_->Wykres->resize(screen_.width() - 220, form_->Wykres->height());
}

// Settings that the design description keeps as plain properties: pixel font sizes (the
// land-use panel's small font, the raised "2" of km2 and m2) and labels that size
// themselves to their caption; for `root` and the controls in it.
void TFormatkaOkno::ApplyDesignExtras(QWidget* root)
{
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    // Parents first, so that a panel's font reaches its labels before they size themselves.
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        const QVariant px = w->property("fontPixelSize");
        if (px.isValid()) {
            QFont font = w->font();
            font.setPixelSize(px.toInt());
            w->setFont(font);
        }
    }
    for (QWidget* w : widgets) {
        auto* label = qobject_cast<QLabel*>(w);
        if (label && label->property("autoSize").toBool())
            label->adjustSize();
    }
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

// The background stretched to its control and the welcome picture, each decoded once at the
// size it is shown (the background is laid out for the screen first).
void TFormatkaOkno::LoadPictures()
{
    form_->ImageTlo->setPixmap(PictureFor(QStringLiteral(":/tlo.jpg"), form_->ImageTlo->size(), Qt::IgnoreAspectRatio));
    form_->ImagePowitanie->setPixmap(PictureFor(QStringLiteral(":/powitanie.jpg"), form_->ImagePowitanie->size()));
}

// The frame's handlers: the welcome picture and every menu item. A command that reads or
// fills the working panels builds them when it first reaches them.
void TFormatkaOkno::BindHandlers()
{
    form_->ImagePowitanie->installEventFilter(
        new ClickFilter(this, [this] { Guarded([this] { ImagePowitanieClick(); }); }));

    connect(form_->Autor1, &QAction::triggered, this, [this] { Guarded([this] { Autor1Click(); }); });
    connect(form_->MenuPlikKoniecProgramu, &QAction::triggered, this,
            [this] { Guarded([this] { MenuPlikKoniecProgramuClick(); }); });
    connect(form_->MenuObliczeniaHydrogram, &QAction::triggered, this,
            [this] { Guarded([this] { MenuObliczeniaHydrogramClick(); }); });
    connect(form_->MenuObliczeniaRaportExcel, &QAction::triggered, this,
            [this] { Guarded([this] { MenuObliczeniaRaportExcelClick(); }); });
    // The items of "Plik", "Opad", "SCS" and "Parametry KW" that the data-file commands
    // carry out; the design leaves them disabled, and binding a command enables its item.
    const std::pair<QAction*, void (TFormatkaOkno::*)()> fileItems[] = {
        {form_->MenuPlikZapiszProjekt, &TFormatkaOkno::MenuPlikZapiszProjektClick},
        {form_->MenuPlikOtworzProjekt, &TFormatkaOkno::MenuPlikOtworzProjektClick},
        {form_->MenuOpadNoweDane, &TFormatkaOkno::MenuOpadNoweDaneClick},
        {form_->MenuOpadZapisz, &TFormatkaOkno::MenuOpadZapiszClick},
        {form_->MenuOpadOtworz, &TFormatkaOkno::MenuOpadOtworzClick},
        {form_->MenuSCSNoweDane, &TFormatkaOkno::MenuSCSNoweDaneClick},
        {form_->MenuSCSZapisz, &TFormatkaOkno::MenuSCSZapiszClick},
        {form_->MenuSCSOtworz, &TFormatkaOkno::MenuSCSOtworzClick},
        {form_->MenuParametryKWNoweDane, &TFormatkaOkno::MenuParametryKWNoweDaneClick},
        {form_->MenuParametryKWZapisz, &TFormatkaOkno::MenuParametryKWZapiszClick},
        {form_->MenuParametryKWOtworz, &TFormatkaOkno::MenuParametryKWOtworzClick},
    };
    for (const auto& [action, handler] : fileItems) {
        connect(action, &QAction::triggered, this,
                [this, handler = handler] { Guarded([this, handler] { (this->*handler)(); }); });
        action->setEnabled(true);
    }
    BindSeriesCommand();
    BindDesignStormCommand();
    BindDesignFloodCommand();
    BindVariantsCommand();
    connect(form_->MenuOpadImportujzExcela, &QAction::triggered, this,
            [this] { Guarded([this] { MenuOpadImportujzExcelaClick(); }); });
    form_->MenuOpadImportujzExcela->setEnabled(true);
}

// The working panels' handlers, bound as the panels are built.
void TFormatkaOkno::BindPanelHandlers()
{
    BindChange(ui->Edit_Liczba_godzin_opadu, [this] { Edit_Liczba_godzin_opaduChange(); });
    BindClick(ui->CheckBoxOpad, [this] { CheckBoxOpadClick(); });
    BindGrid(
        ui->Tabela_Opad, [this] { Tabela_OpadClick(); }, [this](int key) { KlawiszEnterTabela_Opad(key); });
    BindLandUsePanel();
    BindParameterPanel();
}

// ---- Mechanisms

void TFormatkaOkno::AppendMenuCommand(QMenu* menu, const QString& caption, const QString& name,
                                      void (TFormatkaOkno::*handler)())
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    connect(item, &QAction::triggered, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
}

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

std::optional<QString> TFormatkaOkno::AskSaveFile(const FileDialogSpec& dialogSpec)
{
    int filterIndex = -1;
    std::optional<QString> name = AskFile(dialogSpec, &filterIndex);
    if (!name)
        return name;
    // The filter's patterns ("*.png", "*.*") in the order of its description and pattern
    // pairs; the extension of each, or nothing for a pattern that takes any file.
    const QStringList parts = dialogSpec.filter.split(QLatin1Char('|'));
    QStringList extensions;
    for (qsizetype i = 1; i < parts.size(); i += 2) {
        const QString pattern = parts[i].trimmed();
        const QString extension = pattern.startsWith(QLatin1String("*.")) ? pattern.mid(2).toLower() : QString();
        const bool concrete =
            !extension.isEmpty() && !extension.contains(QLatin1Char('*')) && !extension.contains(QLatin1Char('?'));
        extensions << (concrete ? extension : QString());
    }
    const QString suffix = QFileInfo(*name).suffix().toLower();
    if (!suffix.isEmpty() && extensions.contains(suffix))
        return name;
    QString extension = filterIndex >= 0 && filterIndex < extensions.size() ? extensions[filterIndex] : QString();
    for (qsizetype i = 0; extension.isEmpty() && i < extensions.size(); ++i)
        extension = extensions[i];
    if (!extension.isEmpty())
        *name += QLatin1Char('.') + extension;
    return name;
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
    form_->PanelPowitalny->move(left, top);
}

void TFormatkaOkno::LayOutForScreen()
{
    resize(screen_);
    move(0, 0);  // the window has the screen's size, so centred means at the screen's origin
    if (QScreen* primary = QGuiApplication::primaryScreen())
        move(primary->geometry().topLeft());
    form_->ImageTlo->resize(screen_.width() - 20, screen_.height() - 90);
}

void TFormatkaOkno::ImagePowitanieClick()
{
    BuildWorkingPanels();
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
    if (!MayEnd())
        return;
    QApplication::quit();
}

// ---- Unsaved work

void TFormatkaOkno::MarkStored(moravel::window::DataKind kind)
{
    storedTexts_[static_cast<size_t>(kind)] = moravel::window::StoredTextsOf(*this, kind);
}

QList<moravel::window::DataKind> TFormatkaOkno::UnsavedKinds() const
{
    QList<moravel::window::DataKind> kinds;
    // Nothing can have been typed or opened before the working panels exist.
    if (!panelsBuilt_)
        return kinds;
    for (const moravel::window::DataKind kind : moravel::window::kDataKinds)
        if (moravel::window::StoredTextsOf(*this, kind) != storedTexts_[static_cast<size_t>(kind)])
            kinds << kind;
    return kinds;
}

bool TFormatkaOkno::MayEnd()
{
    if (endAgreed_)
        return true;
    const QList<moravel::window::DataKind> unsaved = UnsavedKinds();
    if (!unsaved.isEmpty()) {
        QStringList names;
        for (const moravel::window::DataKind kind : unsaved)
            names << moravel::window::DataKindName(kind);
        const QString question =
            QStringLiteral("Nie zapisano zmian w danych: %1.\nZapisać je przed zakończeniem programu?")
                .arg(names.join(QStringLiteral(", ")));
        switch (messages_->AskBeforeClosing(question)) {
            case moravel::window::Messages::CloseChoice::Cancel:
                return false;
            case moravel::window::Messages::CloseChoice::Discard:
                break;
            case moravel::window::Messages::CloseChoice::SaveProject: {
                // A failed save is shown as any command's error, and the program stays.
                bool saved = false;
                Guarded([this, &saved] { saved = moravel::window::SaveChangedDataAndProject(*this); });
                if (!saved)
                    return false;
                break;
            }
        }
    }
    endAgreed_ = true;
    return true;
}

void TFormatkaOkno::closeEvent(QCloseEvent* event)
{
    if (MayEnd())
        event->accept();
    else
        event->ignore();
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
        messages_->Info(moravel::model::HourCountRefusal());
    } else if (hours > kMaxRainfallHours) {
        // The computation state holds no more hours than this.
        messages_->Info(moravel::model::HourLimitRefusal());
        hours = kMaxRainfallHours;
        tooMany = true;
    }
    table->SetRowCount(std::max(hours + 1, 1));
    for (int i = 1; i <= hours; ++i)
        table->SetCell(kHourColumn, i, moravel::text::FormatInt(i));
    // In direct mode the hours added get the covered placeholder that ticking the box writes,
    // so that the table stays complete and every refresh (and "Hydrogram") copies the typed
    // column as it stands, instead of leaving those hours what an earlier computation wrote.
    if (ui->CheckBoxOpad->isChecked())
        for (int i = 1; i <= hours; ++i)
            if (RainfallText(i).isEmpty())
                table->SetCell(kRainfallColumn, i, QStringLiteral("1"));
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
    return moravel::model::HourCountOf(ui->Edit_Liczba_godzin_opadu->text());
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
