#include "window/RainfallClipboard.h"

#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "text/NumText.h"
#include "ui_Formatka.h"
#include "window/Formatka.h"
#include "window/StringGrid.h"

namespace moravel::window {

namespace {

class ClipboardKeys : public QObject {
public:
    explicit ClipboardKeys(TFormatkaOkno& window) : QObject(&window), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy)) {
            QGuiApplication::clipboard()->setText(CopiedCells(*window_.ui->Tabela_Opad));
            return true;
        }
        if (key->matches(QKeySequence::Paste)) {
            const QString text = QGuiApplication::clipboard()->text();
            window_.Guarded([this, &text] { PasteRainfall(window_, text); });
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TFormatkaOkno& window_;
};

}  // namespace

void BindRainfallClipboard(TFormatkaOkno& window)
{
    window.ui->Tabela_Opad->installEventFilter(new ClipboardKeys(window));
}

QString CopiedCells(const StringGrid& grid)
{
    const QRect block = grid.SelectedRange();
    QString text;
    for (int row = block.top(); row <= block.bottom(); ++row) {
        QStringList cells;
        for (int col = block.left(); col <= block.right(); ++col)
            cells << grid.Cell(col, row);
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

QStringList PastedColumn(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().trimmed().isEmpty())
        lines.removeLast();
    QStringList values;
    for (const QString& line : lines)
        values << line.section(QLatin1Char('\t'), 0, 0).trimmed();
    return values;
}

void PasteRainfall(TFormatkaOkno& window, const QString& text)
{
    const QStringList values = PastedColumn(text);
    if (values.isEmpty())
        return;
    Ui::TFormatkaOkno& ui = *window.ui;
    StringGrid* table = ui.Tabela_Opad;
    const QRect block = table->SelectedRange();
    const int col = block.left();
    const int first = block.top();
    const int last = first + int(values.size()) - 1;
    if (last > kMaxRainfallHours) {
        window.messages().Info(QStringLiteral("Wklejana kolumna sięga godziny %1, a liczba godzin opadu nie może "
                                              "przekraczać %2!")
                                   .arg(last)
                                   .arg(kMaxRainfallHours));
        return;
    }
    // A longer column raises the hour count as if it had been typed, so that the edit's own
    // rule and handlers lay out the table's rows.
    if (last > text::StrToIntDef(ui.Edit_Liczba_godzin_opadu->text(), 0))
        window.SetText(ui.Edit_Liczba_godzin_opadu, text::FormatInt(last));
    // Direct mode covers the rainfall column; its hours hold the placeholder that switching the
    // mode on writes, so that the table counts as complete and its effective rainfall is taken.
    const bool direct = ui.CheckBoxOpad->isChecked() && table->ColCount() == 3;
    for (int i = 0; i < values.size(); ++i) {
        table->SetCell(col, first + i, values[i]);
        if (direct && table->Cell(1, first + i).isEmpty())
            table->SetCell(1, first + i, QStringLiteral("1"));
    }
    window.Tabela_OpadClick();
}

}  // namespace moravel::window
