// The window's captions as drawn with the fonts the window uses: no label's text runs under
// the edit beside it or over the unit after it, whatever value a caption shows.
#include <QLabel>
#include <QRegularExpression>
#include <cstdlib>

#include "WindowFixture.h"

namespace moravel::window::testing {
namespace {

// The rectangles, in the window's coordinates, of the pieces of text a label draws. Pieces
// are separated by runs of two or more blanks: "Powierzchnia zlewni:             km" leaves
// such a run for the value shown over it, "Lo =                km" for the edit. What runs
// past the label's own rectangle is clipped and not drawn.
std::vector<QRect> DrawnPieces(const QLabel* label, const QWidget* window)
{
    std::vector<QRect> pieces;
    if (label->isHidden())
        return pieces;
    const QString text = label->text();
    // Pieces are measured as QLabel lays out a caption that is left-aligned and not indented.
    EXPECT_TRUE(label->alignment() & Qt::AlignLeft) << label->objectName().toStdString();
    const QFontMetrics fm(label->font());
    const QRect contents = label->contentsRect();
    const int top = contents.top() + (contents.height() - fm.height()) / 2;
    static const QRegularExpression kPiece(QStringLiteral("\\S+(?: \\S+)*"));
    for (auto it = kPiece.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QRect piece(contents.left() + fm.horizontalAdvance(text.left(m.capturedStart())), top,
                          fm.horizontalAdvance(m.captured()), fm.height());
        const QRect drawn = piece.intersected(contents);
        if (!drawn.isEmpty())
            pieces.push_back(QRect(label->mapTo(window, drawn.topLeft()), drawn.size()));
    }
    return pieces;
}

QRect InWindow(const QWidget* widget, const QWidget* window)
{
    return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

std::string Describe(const QWidget* w, const QRect& r)
{
    return w->objectName().toStdString() + " [" + std::to_string(r.left()) + ".." + std::to_string(r.right()) + ", " +
           std::to_string(r.top()) + ".." + std::to_string(r.bottom()) + "]";
}

class LayoutTest : public WindowFixture {
protected:
    // The label that draws the unit after a value caption's run of blanks.
    QLabel* Unit(QLabel* caption)
    {
        auto* unit = caption->parentWidget()->findChild<QLabel*>(caption->objectName() + QStringLiteral("Jednostka"));
        EXPECT_NE(unit, nullptr) << caption->objectName().toStdString();
        return unit;
    }
    // Every drawn piece of every label in `labels` keeps at least `gap` pixels sideways from
    // every piece of the other labels and from every edit in `edits`.
    void ExpectApart(const std::vector<QLabel*>& labels, const std::vector<QWidget*>& edits, int gap = 1)
    {
        struct Item {
            QWidget* owner;
            QRect rect;
        };
        std::vector<Item> items;
        for (QLabel* label : labels)
            for (const QRect& r : DrawnPieces(label, window.get()))
                items.push_back({label, r});
        for (QWidget* edit : edits)
            if (!edit->isHidden())
                items.push_back({edit, InWindow(edit, window.get())});
        for (size_t i = 0; i < items.size(); ++i)
            for (size_t j = i + 1; j < items.size(); ++j) {
                if (items[i].owner == items[j].owner)
                    continue;
                const QRect widened = items[i].rect.adjusted(-gap, 0, gap, 0);
                EXPECT_FALSE(widened.intersects(items[j].rect))
                    << Describe(items[i].owner, items[i].rect) << " meets " << Describe(items[j].owner, items[j].rect);
            }
    }
};

TEST_F(LayoutTest, CaptionsOfTheRainfallAndParameterPanelsKeepClearOfTheirEdits)
{
    ExpectApart({ui().Liczba_godzin_opadu}, {ui().Edit_Liczba_godzin_opadu});
    const struct {
        QLabel* label;
        QLineEdit* edit;
    } rows[] = {
        {ui().LabelParametryRB, ui().EditParametryRB}, {ui().LabelParametryRL, ui().EditParametryRL},
        {ui().LabelParametryRA, ui().EditParametryRA}, {ui().LabelParametrySo, ui().EditParametrySo},
        {ui().LabelParametryLo, ui().EditParametryLo}, {ui().LabelParametryb, ui().EditParametryb},
        {ui().LabelParametryn, ui().EditParametryn},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label->objectName().toStdString());
        ExpectApart({row.label}, {row.edit});
    }
    // The area row: "Parametry zlewni", "A =", the edit, "km" and its raised "2".
    ExpectApart({ui().LabelParametryNaglowek, ui().LabelParametryPole, ui().LabelParametrykm2},
                {ui().EditParametryPole});
    ExpectApart({ui().LabelParametrykm2, ui().LabelKwadrat7}, {}, 0);
}

TEST_F(LayoutTest, TheRaisedTwosOfTheLotSizesFollowTheirMetres)
{
    const std::pair<QLabel*, QLabel*> rows[] = {
        {ui().LabelKwadrat2, ui().LabelSCS12}, {ui().LabelKwadrat3, ui().LabelSCS13},
        {ui().LabelKwadrat4, ui().LabelSCS14}, {ui().LabelKwadrat5, ui().LabelSCS15},
        {ui().LabelKwadrat6, ui().LabelSCS16},
    };
    for (const auto& [superscript, caption] : rows) {
        SCOPED_TRACE(caption->text().toStdString());
        const std::vector<QRect> pieces = DrawnPieces(caption, window.get());
        ASSERT_EQ(pieces.size(), 2u);  // "... 500m" and the bracketed curve numbers
        const QRect two = InWindow(superscript, window.get());
        // Right after the "m" (its last drawn column), clear of the curve numbers.
        EXPECT_GE(two.left(), pieces[0].right());
        EXPECT_LE(two.left(), pieces[0].right() + 2);
        EXPECT_LT(two.left() + superscript->fontMetrics().horizontalAdvance(superscript->text()), pieces[1].left());
    }
}

TEST_F(LayoutTest, TheCatchmentAreaAndTheCurveNumberStayClearOfKmWhateverTheirLength)
{
    CompleteRainfall({QStringLiteral("10")});
    // "5", a three-digit area, the 15-digit general form of 103.7 in single precision and
    // an area of thousands.
    for (const QString& area :
         {QStringLiteral("5"), QStringLiteral("104"), QStringLiteral("103,7"), QStringLiteral("1234,56787109375")}) {
        EnterCell(ui().Tabela_SCS, 0, 0, area);
        SCOPED_TRACE(ui().LabelSCSPowierzchniaWartosc->text().toStdString());
        ASSERT_NE(ui().LabelSCSPowierzchniaWartosc->text(), QStringLiteral("?"));
        ExpectApart({ui().LabelSCSSCS, ui().LabelSCSSCSWartosc, ui().LabelSCSPowierzchnia,
                     ui().LabelSCSPowierzchniaWartosc, Unit(ui().LabelSCSPowierzchnia)},
                    {});
        ExpectApart({ui().LabelSCSPowierzchniaWartosc, ui().LabelKwadrat1}, {});
        // The raised "2" stays at the end of "km".
        EXPECT_LE(std::abs(ui().LabelKwadrat1->x() - Unit(ui().LabelSCSPowierzchnia)->geometry().right()), 2);
    }
}

TEST_F(LayoutTest, ThePercentSumStaysClearOfItsPercentSign)
{
    CompleteRainfall({QStringLiteral("10")});
    QTest::mouseClick(ui().RadioGroup_CNlubKM2_procent, Qt::LeftButton, {},
                      QPoint(7, ui().RadioGroup_CNlubKM2_procent->height() / 2));
    for (const QString& percent : {QStringLiteral("5"), QStringLiteral("99,99"), QStringLiteral("100")}) {
        EnterCell(ui().Tabela_SCS_Procent, 0, 0, percent);
        SCOPED_TRACE(ui().LabelSCSProcentyWartosc->text().toStdString());
        ASSERT_TRUE(ui().LabelSCSProcentyWartosc->isVisible());
        ExpectApart({ui().LabelSCSProcenty, ui().LabelSCSProcentyWartosc, Unit(ui().LabelSCSProcenty)}, {});
        EXPECT_TRUE(Unit(ui().LabelSCSProcenty)->isVisible());
    }
}

}  // namespace
}  // namespace moravel::window::testing
