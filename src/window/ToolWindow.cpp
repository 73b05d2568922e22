#include "window/ToolWindow.h"

#include <QHeaderView>
#include <QKeySequence>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
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

void CloseOnEscape(QWidget& window)
{
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
    escape->setContext(Qt::WindowShortcut);
    QObject::connect(escape, &QShortcut::activated, &window, &QWidget::close);
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
