#include "window/Captions.h"

#include <QFontMetrics>
#include <QEvent>
#include <QLabel>
#include <QRegularExpression>

#include <cmath>

namespace moravel::window {
namespace {

// Where QLabel starts the text of a left-aligned, unindented caption, in its parent.
int TextLeft(const QLabel* label)
{
    return label->x() + label->contentsRect().left();
}

int Advance(const QFont& font, const QString& text)
{
    return QFontMetrics(font).horizontalAdvance(text);
}

}  // namespace

void FitBeforeEdit(QLabel* label, const QWidget* edit)
{
    const QString text = label->text();
    const qsizetype equals = text.lastIndexOf(QLatin1Char('='));
    const QString head = equals >= 0 ? text.left(equals + 1) : text.trimmed();
    const int room = edit->x() - 1 - TextLeft(label);
    QFont font = label->font();
    font.setStretch(QFont::Unstretched);
    const int natural = Advance(font, head);
    if (natural > room && room > 0) {
        // The first guess from the proportion, then narrower by a step until it fits: glyph
        // widths are rounded, so the proportion alone may miss by a pixel.
        int stretch = std::max(50, static_cast<int>(std::floor(100.0 * room / natural)));
        font.setStretch(stretch);
        while (stretch > 50 && Advance(font, head) > room)
            font.setStretch(--stretch);
    }
    label->setFont(font);
    label->adjustSize();
}

namespace {

// Shows and hides a caption's unit together with the caption.
class FollowVisibility : public QObject {
public:
    FollowVisibility(QWidget* leader, QWidget* follower) : QObject(leader), follower_(follower)
    {
        leader->installEventFilter(this);
        follower->setVisible(!leader->isHidden());
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            follower_->show();
        else if (event->type() == QEvent::Hide)
            follower_->hide();
        return false;
    }

private:
    QWidget* follower_;
};

}  // namespace

void MakeRoomForValue(QLabel* caption, const QLabel* value, QLabel* superscript)
{
    static const QRegularExpression kRun(QStringLiteral(" {2,}"));
    const QString text = caption->text();
    const QRegularExpressionMatch run = kRun.match(text);
    if (!run.hasMatch())
        return;
    // The unit after the run is drawn by a label of its own, so that it can move; the caption
    // keeps its whole text but is cut off after the run.
    const QString unitName = caption->objectName() + QStringLiteral("Jednostka");
    auto* unit = caption->parentWidget()->findChild<QLabel*>(unitName, Qt::FindDirectChildrenOnly);
    if (!unit) {
        unit = new QLabel(text.mid(run.capturedEnd()), caption->parentWidget());
        unit->setObjectName(unitName);
        unit->setFont(caption->font());
        unit->setPalette(caption->palette());
        unit->adjustSize();
        new FollowVisibility(caption, unit);
    }
    const int runEnd = TextLeft(caption) + Advance(caption->font(), text.left(run.capturedEnd()));
    caption->resize(runEnd - caption->x(), caption->height());
    const int valueEnd = TextLeft(value) + Advance(value->font(), value->text());
    unit->move(std::max(runEnd, valueEnd + 2), caption->y() + caption->contentsRect().top());
    if (superscript)
        superscript->move(unit->x() + Advance(unit->font(), unit->text()), superscript->y());
}

void RaiseAfterUnit(QLabel* superscript, const QLabel* caption)
{
    static const QRegularExpression kSquareMetres(QStringLiteral("\\d(m)(?= )"));
    const QString text = caption->text();
    const QRegularExpressionMatch unit = kSquareMetres.match(text);
    if (!unit.hasMatch())
        return;
    const QPoint end = caption->mapTo(
        superscript->parentWidget(),
        QPoint(caption->contentsRect().left() + Advance(caption->font(), text.left(unit.capturedEnd(1))), 0));
    superscript->move(end.x(), superscript->y());
}

}  // namespace moravel::window
