// "Opad projektowy..." through the real window: the menu item, the preview that changes
// nothing, the insert through the rainfall table's own path (hour count, cells, one refresh)
// and its refusals.
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include "WindowFixture.h"
#include "window/OpadProjektowyOkno.h"

namespace moravel::window::testing {
namespace {

class DesignStormWindowTest : public WindowFixture {
protected:
    void SetUp() override
    {
        source = &random;
        WindowFixture::SetUp();
    }
    DesignStormWindow* Open()
    {
        const QList<QAction*> items = ui().MenuOpad->actions();
        items.back()->trigger();
        return window->designStormWindow();
    }
    void SetDuration(DesignStormWindow* w, int hours)
    {
        w->DurationBox()->setFocus();
        w->DurationBox()->selectAll();
        QTest::keyClicks(w->DurationBox(), QString::number(hours));
        QTest::keyClick(w->DurationBox(), Qt::Key_Tab);
    }
    // Duration, a total depth and a shape, typed.
    void Fill(DesignStormWindow* w, int hours, const QString& depth, model::StormShape shape)
    {
        SetDuration(w, hours);
        w->SourceBox()->setCurrentIndex(0);
        Retype(w->DepthEdit(), depth);
        QComboBox* shapes = w->Shape()->ShapeBox();
        shapes->setCurrentIndex(shapes->findData(static_cast<int>(shape)));
    }
    QStringList PreviewTexts(DesignStormWindow* w)
    {
        QStringList texts;
        for (int r = 0; r < w->ValuesTable()->rowCount(); ++r)
            texts << w->ValuesTable()->item(r, 0)->text();
        return texts;
    }

    FixedSource random{{0.25, 0.5, 0.75}};
};

TEST_F(DesignStormWindowTest, MenuItemComesLastInOpadAndOpensOneWindow)
{
    QStringList captions;
    for (QAction* a : ui().MenuOpad->actions())
        captions << a->text();
    EXPECT_EQ(captions, (QStringList{"Nowe dane", "Importuj z Excela", "Zapisz", "Otwórz", "Opad projektowy..."}));
    DesignStormWindow* w = Open();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->isWindow());
    EXPECT_EQ(w->InsertButton()->text(), QStringLiteral("Wstaw do tabeli opadu"));
    w->close();
    EXPECT_EQ(Open(), w);
}

TEST_F(DesignStormWindowTest, PreviewShowsTheHoursAndChangesNothing)
{
    CompleteRainfall({"1", "2"});
    DesignStormWindow* w = Open();
    Fill(w, 6, QStringLiteral("60"), model::StormShape::Dvwk);
    QTest::mouseClick(w->PreviewButton(), Qt::LeftButton);
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    // DVWK, 6 h, 60 mm: 6.667, 10.333, 25, 6, 6, 6; the missing tenth to hour 1.
    EXPECT_EQ(PreviewTexts(w), (QStringList{"6,7", "10,3", "25,0", "6,0", "6,0", "6,0"}));
    EXPECT_EQ(w->SumLabel()->text(), QStringLiteral("Suma: 60,0 mm w 6 h"));
    const QList<QAbstractSeries*> series = w->Chart()->chart()->series();
    ASSERT_EQ(series.size(), 1);
    const QBarSet* set = qobject_cast<QBarSeries*>(series[0])->barSets().front();
    ASSERT_EQ(set->count(), 6);
    EXPECT_DOUBLE_EQ(set->at(2), 25.0);
    // The main window is as it was.
    EXPECT_EQ(Hours()->text(), QStringLiteral("2"));
    EXPECT_EQ(Column(1, 1, 2), (QStringList{"1", "2"}));
    EXPECT_EQ(random.reseeds, 0);

    // A depth-duration table pasted, Euler type II: increments 20, 10, 6, 4, 4, 4.
    w->SourceBox()->setCurrentIndex(1);
    w->DepthDurationTable()->setCurrentCell(0, 0);
    QGuiApplication::clipboard()->setText(QStringLiteral("1\t20\n2\t30\n3\t36\n6\t48\n"));
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    QApplication::sendEvent(w->DepthDurationTable(), &paste);
    QComboBox* shapes = w->Shape()->ShapeBox();
    shapes->setCurrentIndex(shapes->findData(static_cast<int>(model::StormShape::EulerII)));
    QTest::mouseClick(w->PreviewButton(), Qt::LeftButton);
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    // Hours 4 and 5 from the power law between 3 h (36 mm) and 6 h (48 mm):
    // P(4) = 36 (4/3)^b = 40.566, P(5) = 44.502 with b = ln(48/36)/ln 2; increments
    // 20, 10, 6, 4.566, 3.936, 3.498, Euler II: the two largest rising to the peak in hour 2,
    // then the rest falling; the two missing tenths to 3.498 and 4.566.
    EXPECT_EQ(PreviewTexts(w), (QStringList{"10,0", "20,0", "6,0", "4,6", "3,9", "3,5"}));
    EXPECT_EQ(w->SumLabel()->text(), QStringLiteral("Suma: 48,0 mm w 6 h"));
}

// The window opens on a pair that makes a storm: Euler type II from a depth-duration table,
// so a pasted table previews as it is, and an empty one is named as what is missing.
TEST_F(DesignStormWindowTest, OpensOnATableForTheEulerShape)
{
    DesignStormWindow* w = Open();
    EXPECT_EQ(w->Shape()->Shape(), model::StormShape::EulerII);
    EXPECT_EQ(w->SourceBox()->currentText(), QStringLiteral("Tabela wysokość - czas trwania"));
    EXPECT_TRUE(w->DepthDurationTable()->isEnabled());
    EXPECT_FALSE(w->DepthEdit()->isEnabled());
    EXPECT_EQ(w->DurationBox()->value(), 24);

    QTest::mouseClick(w->PreviewButton(), Qt::LeftButton);
    EXPECT_EQ(messages.Errors(), QStringList{"Tabela wysokości opadu dla czasów trwania jest pusta."});

    // The depths of one probability for 1..24 h pasted, nothing else touched. Hour by hour
    // (power law between the rows): 36, 7, 5, 3.549, 2.932, 2.519, 2.474, 2.230, 2.036, ...,
    // 0.936; the peak in hour 8 (0.3 x 24 h = 7.2 h), the 2nd..8th largest rising to it.
    messages.Clear();
    w->DepthDurationTable()->setCurrentCell(0, 0);
    QGuiApplication::clipboard()->setText(QStringLiteral("1\t36\n2\t43\n3\t48\n6\t57\n12\t69\n24\t83\n"));
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    QApplication::sendEvent(w->DepthDurationTable(), &paste);
    QTest::mouseClick(w->PreviewButton(), Qt::LeftButton);
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    EXPECT_EQ(PreviewTexts(w).join(u' '),
              QStringLiteral("2,2 2,5 2,5 2,9 3,6 5,0 7,0 36,0 2,0 1,9 1,8 1,6 1,5 1,4 1,3 1,3 1,2 1,2 1,1 1,1 "
                             "1,0 1,0 1,0 0,9"));
    EXPECT_EQ(w->SumLabel()->text(), QStringLiteral("Suma: 83,0 mm w 24 h"));
}

TEST_F(DesignStormWindowTest, InsertWritesTheHoursAsAPasteAndRefreshesOnce)
{
    ui().LabelSCSSCSWartosc->setText(QStringLiteral("75"));
    // Two hours: the raised hour count leaves hours empty, so its own handler computes nothing.
    CompleteRainfall({"5", "5"});
    DesignStormWindow* w = Open();
    Fill(w, 6, QStringLiteral("10"), model::StormShape::Block);
    random.reseeds = 0;
    QTest::mouseClick(w->InsertButton(), Qt::LeftButton);
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    EXPECT_EQ(Hours()->text(), QStringLiteral("6"));
    EXPECT_EQ(Table()->RowCount(), 7);
    // 10 mm in 6 h: the texts add up to 10,0.
    EXPECT_EQ(Column(1, 1, 6), (QStringList{"1,7", "1,7", "1,7", "1,7", "1,6", "1,6"}));
    // One refresh at the end computed the effective rainfall of the new storm.
    EXPECT_EQ(random.reseeds, 1);
    ASSERT_EQ(Table()->ColCount(), 3);
    for (int h = 1; h <= 6; ++h) {
        EXPECT_FALSE(Table()->Cell(2, h).isEmpty()) << h;
        EXPECT_FLOAT_EQ(window->State().Rainfall[h], h <= 4 ? 1.7f : 1.6f);
    }

    // From hour 3 of the table: the hours before keep their texts, the storm follows them.
    w->StartBox()->setValue(3);
    QTest::mouseClick(w->InsertButton(), Qt::LeftButton);
    EXPECT_EQ(Hours()->text(), QStringLiteral("8"));
    EXPECT_EQ(Column(1, 1, 8), (QStringList{"1,7", "1,7", "1,7", "1,7", "1,7", "1,7", "1,6", "1,6"}));
}

TEST_F(DesignStormWindowTest, InsertIsRefusedInTypedModeAndPastTheTableEnd)
{
    CompleteRainfall({"1", "2"});
    DesignStormWindow* w = Open();
    Fill(w, 24, QStringLiteral("80"), model::StormShape::Block);

    w->StartBox()->setValue(980);
    QTest::mouseClick(w->InsertButton(), Qt::LeftButton);
    EXPECT_EQ(messages.Infos(),
              QStringList{"Opad projektowy sięgałby godziny 1003, a liczba godzin opadu nie może przekraczać 1000!"});
    EXPECT_EQ(Hours()->text(), QStringLiteral("2"));

    messages.Clear();
    w->StartBox()->setValue(1);
    QTest::mouseClick(ui().CheckBoxOpad, Qt::LeftButton);
    ASSERT_TRUE(window->EffectiveRainTyped());
    messages.Clear();
    const QStringList before = Column(1, 1, 2);
    QTest::mouseClick(w->InsertButton(), Qt::LeftButton);
    EXPECT_EQ(messages.Infos(), QStringList{DesignStormTypedModeRefusal()});
    EXPECT_EQ(Hours()->text(), QStringLiteral("2"));
    EXPECT_EQ(Column(1, 1, 2), before);

    // A shape that needs a depth-duration table, with one depth only: the error box.
    messages.Clear();
    QComboBox* shapes = w->Shape()->ShapeBox();
    shapes->setCurrentIndex(shapes->findData(static_cast<int>(model::StormShape::AlternatingBlock)));
    QTest::mouseClick(w->PreviewButton(), Qt::LeftButton);
    EXPECT_EQ(messages.Errors(),
              QStringList{"Kształt \"bloki naprzemienne\" wymaga tabeli wysokości opadu dla czasów trwania."});
}

}  // namespace
}  // namespace moravel::window::testing
