// The land-use panel: the km2 and per-cent grids, the user's own curve numbers of row
// "Inny:", the averaged curve number and total area captions, the per-cent sum, and the
// catchment-area field that links the per-cent grid to square kilometres.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "model/ComputationInputs.h"
#include "model/LandUse.h"
#include "text/NumText.h"
#include "window/FormatkaUi.h"
#include "window/Formatka.h"
#include "window/StringGrid.h"

using moravel::window::StringGrid;

using namespace moravel;

namespace {

const QColor kWhite(255, 255, 255);
const QColor kSumComplete(0, 128, 0);
const QColor kSumIncomplete(255, 0, 0);

// The change of the area field typed by the user is the first round of the % mode
// conversion; its write-back of the total may run one more round. A further write-back only
// sets the text: the text then already equals the total of the km2 cells just computed, so
// stopping there leaves the field and the grid in agreement, and two texts that would
// otherwise feed each other for ever can't.
constexpr int kAreaConversionRounds = 2;

bool IsEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The selection moves one row down, except from the last land-use row ("Inny:").
void MoveDownOnEnter(StringGrid* grid, int key)
{
    if (IsEnterKey(key) && grid->SelectedRow() < model::kLandUseRows - 1)
        grid->SelectCell(grid->SelectedCol(), grid->SelectedRow() + 1);
}

}  // namespace

void TFormatkaOkno::BindLandUsePanel()
{
    const std::array<void (TFormatkaOkno::*)(), model::kSoilGroups> handlers = {
        &TFormatkaOkno::EditSCSAChange, &TFormatkaOkno::EditSCSBChange, &TFormatkaOkno::EditSCSCChange,
        &TFormatkaOkno::EditSCSDChange};
    const auto edits = OwnClassEdits();
    for (size_t g = 0; g < edits.size(); ++g)
        BindChange(edits[g], [this, handler = handlers[g]] { (this->*handler)(); });
    BindChange(ui->EditParametryPole, [this] { EditParametryPoleChange(); });
    BindGrid(
        ui->Tabela_SCS, [this] { Tabela_SCSClick(); }, [this](int key) { KlawiszEnterTabela_SCS(key); });
    BindGrid(
        ui->Tabela_SCS_Procent, [this] { Tabela_SCS_ProcentClick(); },
        [this](int key) { KlawiszEnterTabela_SCS_Procent(key); });
    // Only the item that becomes selected reports; selecting the selected item does nothing.
    for (QRadioButton* item : {ui->RadioGroup_CNlubKM2_km, ui->RadioGroup_CNlubKM2_procent})
        connect(item, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                Guarded([this] { RadioGroup_CNlubKM2Click(); });
        });
}

std::array<QLineEdit*, model::kSoilGroups> TFormatkaOkno::OwnClassEdits() const
{
    return {ui->EditSCSA, ui->EditSCSB, ui->EditSCSC, ui->EditSCSD};
}

model::LandUseTexts TFormatkaOkno::GridTexts(const StringGrid* grid) const
{
    model::LandUseTexts texts;
    for (int r = 0; r < model::kLandUseRows; ++r)
        for (int g = 0; g < model::kSoilGroups; ++g)
            texts[r][g] = grid->Cell(g, r);
    return texts;
}

void TFormatkaOkno::SetGridTexts(StringGrid* grid, const model::LandUseTexts& texts)
{
    for (int r = 0; r < model::kLandUseRows; ++r)
        for (int g = 0; g < model::kSoilGroups; ++g)
            grid->SetCell(g, r, texts[r][g]);
}

float TFormatkaOkno::PercentSumOfGrid() const
{
    return model::PercentSum(GridTexts(ui->Tabela_SCS_Procent), decimalSeparator_);
}

// ---- Operations

void TFormatkaOkno::ComputeAveragedCurveNumber()
{
    const model::LandUseCaptions captions =
        model::AverageLandUse(landUse_, GridTexts(ui->Tabela_SCS), ui->CheckBoxOpad->isChecked(),
                              ui->EditParametryPole->text(), decimalSeparator_, [this] { WarnInvalidLandUseCell(); });
    SetCaption(ui->LabelSCSPowierzchniaWartosc, captions.area);
    SetCaption(ui->LabelSCSSCSWartosc, captions.curveNumber);
}

void TFormatkaOkno::WarnInvalidLandUseCell()
{
    messages_->Info(QStringLiteral("Wprowadź liczbę rzeczywistą!"));
}

void TFormatkaOkno::ReadOtherCurveNumber(int soilGroup)
{
    if (!model::ReadOtherCurveNumber(landUse_, soilGroup, OwnClassEdits()[static_cast<size_t>(soilGroup)]->text()))
        messages_->Info(QStringLiteral("Wprowadź liczbę całkowitą!"));
}

void TFormatkaOkno::PercentToArea()
{
    const QString area = ui->EditParametryPole->text();
    if (area.isEmpty()) {
        messages_->Info(QStringLiteral("Wprowadź wielkosc pola powierzchni zlewni!"));
        return;
    }
    // An area that is not a number (a typing slip, already reported by the field's own
    // check) would empty every km2 cell; the cells keep what they hold instead.
    double value = 0;
    if (!text::TryStrToFloat(area, decimalSeparator_, value))
        return;
    SetGridTexts(ui->Tabela_SCS, model::PercentToArea(GridTexts(ui->Tabela_SCS_Procent), area, decimalSeparator_));
}

void TFormatkaOkno::AreaToPercent()
{
    SetGridTexts(
        ui->Tabela_SCS_Procent,
        model::AreaToPercent(GridTexts(ui->Tabela_SCS), ui->LabelSCSPowierzchniaWartosc->text(), decimalSeparator_));
}

void TFormatkaOkno::ShowPercentSum()
{
    const float sum = PercentSumOfGrid();
    QLabel* label = ui->LabelSCSProcentyWartosc;
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, sum == 100.0f ? kSumComplete : kSumIncomplete);
    label->setPalette(palette);
    SetCaption(label, text::FormatCurveNumber(sum, decimalSeparator_));
}

void TFormatkaOkno::CopyAreaWhenPercentComplete()
{
    if (PercentSumOfGrid() == 100.0f)
        SetText(ui->EditParametryPole, ui->LabelSCSPowierzchniaWartosc->text());
}

void TFormatkaOkno::CheckAreaField()
{
    double value = 0;
    if (!text::TryStrToFloat(ui->EditParametryPole->text(), decimalSeparator_, value))
        messages_->Info(QStringLiteral("Wprowadź liczbę rzeczywistą"));
}

// ---- Handlers

void TFormatkaOkno::OtherCurveNumberChange(int soilGroup)
{
    ReadOtherCurveNumber(soilGroup);
    ComputeAveragedCurveNumber();
    ComputeEffectiveRain();
}

void TFormatkaOkno::EditSCSAChange()
{
    OtherCurveNumberChange(0);
}
void TFormatkaOkno::EditSCSBChange()
{
    OtherCurveNumberChange(1);
}
void TFormatkaOkno::EditSCSCChange()
{
    OtherCurveNumberChange(2);
}
void TFormatkaOkno::EditSCSDChange()
{
    OtherCurveNumberChange(3);
}

void TFormatkaOkno::Tabela_SCSClick()
{
    if (!RainfallComplete())
        return;
    ComputeAveragedCurveNumber();
    ComputeEffectiveRain();
    // The typed area of direct mode is never overwritten by a total that would include it
    // again; it is booked afresh instead, since a file opened meanwhile may have replaced
    // the cell that holds it.
    const bool typedArea = TypedAreaIsCatchmentArea();
    if (typedArea)
        BookTypedArea();
    else
        CopyAreaWhenPercentComplete();
    ShowPercentSum();
    if (!typedArea && !ui->Tabela_SCS->isHidden())
        SetText(ui->EditParametryPole, ui->LabelSCSPowierzchniaWartosc->text());
}

void TFormatkaOkno::Tabela_SCS_ProcentClick()
{
    PercentToArea();
    Tabela_SCSClick();
}

void TFormatkaOkno::KlawiszEnterTabela_SCS(int key)
{
    Tabela_SCSClick();
    MoveDownOnEnter(ui->Tabela_SCS, key);
}

void TFormatkaOkno::KlawiszEnterTabela_SCS_Procent(int key)
{
    Tabela_SCS_ProcentClick();
    MoveDownOnEnter(ui->Tabela_SCS_Procent, key);
}

void TFormatkaOkno::RadioGroup_CNlubKM2Click()
{
    QLineEdit* area = ui->EditParametryPole;
    if (!ui->RadioGroup_CNlubKM2_procent->isChecked()) {
        ui->Tabela_SCS->show();
        ui->Tabela_SCS_Procent->hide();
        ui->LabelSCSProcenty->hide();
        ui->LabelSCSProcentyWartosc->hide();
        DisableAreaField();
        return;
    }
    AreaToPercent();
    ui->Tabela_SCS->hide();
    ui->Tabela_SCS_Procent->show();
    ui->LabelSCSProcenty->show();
    ui->LabelSCSProcentyWartosc->show();
    EnableAreaField(kWhite);
    SetText(area, ui->LabelSCSPowierzchniaWartosc->text());
    ShowPercentSum();
}

void TFormatkaOkno::EditParametryPoleChange()
{
    CheckAreaField();
    QLineEdit* area = ui->EditParametryPole;
    if (!area->isEnabled())
        return;
    if (!ui->CheckBoxOpad->isChecked()) {
        if (areaChangeDepth_ >= kAreaConversionRounds)
            return;
        ++areaChangeDepth_;
        struct Leave {
            int& depth;
            ~Leave() { --depth; }
        } leave{areaChangeDepth_};
        PercentToArea();
        Tabela_SCSClick();
        return;
    }
    BookTypedArea();
}

bool TFormatkaOkno::TypedAreaIsCatchmentArea() const
{
    return model::TypedAreaIsCatchmentArea(ui->CheckBoxOpad->isChecked(), ui->EditParametryPole->text());
}

void TFormatkaOkno::BookTypedArea()
{
    // Direct effective rainfall: the whole area is booked as "Inny:" land in group D with
    // CN 100, and the typed area is the catchment area.
    const QString area = ui->EditParametryPole->text();
    ui->Tabela_SCS->SetCell(3, model::kLandUseRows - 1, area);
    SetText(OwnClassEdits()[model::kSoilGroups - 1], QStringLiteral("100"));
    SetCaption(ui->LabelSCSPowierzchniaWartosc, area);
}
