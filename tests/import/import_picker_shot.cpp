// Opens the picker on the rain fixture and marks C10:C33 with the keyboard as a user would
// (or, with a second argument "kinds", on the formula/boolean/error/date fixture, A1:A12), then
// saves a picture of the dialog to the path given as the first argument.
#include "window/RangePicker.h"
#include "test_import_fixtures.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTableView>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("import-picker.png");
    const bool kinds = argc > 2 && QByteArray(argv[2]) == "kinds";
    const auto book = moravel::import::ReadWorkbook(ImportFixture(kinds ? "kinds.xls" : "rain.xls"), BuildTreeReader());
    moravel::window::RangePickerDialog dialog(book, u',');
    dialog.resize(820, 900);
    dialog.show();
    QTableView* view = dialog.View(0);
    view->setCurrentIndex(kinds ? view->model()->index(0, 0) : view->model()->index(9, 2));
    for (int i = 0; i < (kinds ? 11 : 23); ++i) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::ShiftModifier);
        QApplication::sendEvent(view, &down);
    }
    view->scrollTo(view->model()->index(kinds ? 0 : 6, 0), QAbstractItemView::PositionAtTop);
    QTimer::singleShot(500, [&] {
        const bool saved = dialog.grab().save(out);
        QApplication::exit(saved ? 0 : 1);
    });
    return app.exec();
}
