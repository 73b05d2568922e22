#include "window/ToolWindow.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QWidget>
#include <algorithm>

namespace moravel::window {

void FitToolWindow(QWidget& window, QSize preferred, QSize screen)
{
    const QSize size = preferred.boundedTo(screen - kScreenRoom).expandedTo(window.minimumSizeHint());
    window.resize(size);
    window.move(std::max(0, (screen.width() - size.width()) / 2),
                std::max(0, (screen.height() - kScreenRoom.height() - size.height()) / 2));
}

namespace {

// Closes its window on an Escape that no control of the window took for itself (an open
// cell editor takes it to drop the edit).
class EscapeCloses : public QObject {
public:
    explicit EscapeCloses(QWidget& window) : QObject(&window), window_(window) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &window_ && event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
                window_.close();
                return true;
            }
        }
        return false;
    }

private:
    QWidget& window_;
};

}  // namespace

void CloseOnEscape(QWidget& window)
{
    window.installEventFilter(new EscapeCloses(window));
}

QPushButton* NewCloseButton(QWidget& window)
{
    auto* close = new QPushButton(QStringLiteral("Zamknij"), &window);
    close->setObjectName(window.objectName() + QStringLiteral("Zamknij"));
    QObject::connect(close, &QPushButton::clicked, &window, &QWidget::close);
    return close;
}

void ShowRows(QTableView& table, int rows)
{
    table.setMinimumHeight(table.horizontalHeader()->sizeHint().height() +
                           rows * table.verticalHeader()->defaultSectionSize() +
                           table.horizontalScrollBar()->sizeHint().height() + 2 * table.frameWidth());
}

}  // namespace moravel::window
