#include "window/DesktopOpen.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "window/ZapisOdczytDanych.h"
#include "text/Error.h"
#include "window/Formatka.h"

namespace moravel::window {

namespace {

// The local data files among the dropped addresses.
QStringList DroppedDataFiles(const QMimeData* mime)
{
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile() && DataFileKindOf(url.toLocalFile()))
            paths << url.toLocalFile();
    return paths;
}

// A drag that carries addresses (files from a file manager, links) is the window's, whatever
// control is under the pointer: one that brings a local data file that may be copied is taken
// as a copy, and the data files open on the drop; any other is refused, so that no edit takes
// an address as its text and no source is told that its file was moved here.
class DropFilter : public QObject {
public:
    explicit DropFilter(TFormatkaOkno& window) : QObject(&window), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove:
            case QEvent::Drop: {
                auto* drop = static_cast<QDropEvent*>(event);
                if (!drop->mimeData() || !drop->mimeData()->hasUrls())
                    break;  // text dragged between the edits stays theirs
                const QStringList paths = DroppedDataFiles(drop->mimeData());
                if (paths.isEmpty() || !(drop->possibleActions() & Qt::CopyAction)) {
                    drop->setDropAction(Qt::IgnoreAction);
                    drop->ignore();
                    return true;
                }
                drop->setDropAction(Qt::CopyAction);
                drop->accept();
                if (event->type() == QEvent::Drop)
                    for (const QString& path : paths)
                        OpenDataFile(window_, path);
                return true;
            }
            default:
                break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TFormatkaOkno& window_;
};

}  // namespace

std::optional<DataFileKind> DataFileKindOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("kpr"))
        return DataFileKind::Project;
    if (suffix == QLatin1String("kwp"))
        return DataFileKind::Rainfall;
    if (suffix == QLatin1String("kws"))
        return DataFileKind::Scs;
    if (suffix == QLatin1String("kwx"))
        return DataFileKind::Parameters;
    return std::nullopt;
}

bool OpenDataFile(TFormatkaOkno& window, const QString& path)
{
    window.ImagePowitanieClick();
    return window.Guarded([&window, &path] {
        const std::optional<DataFileKind> kind = DataFileKindOf(path);
        if (!kind)
            throw Error(
                QStringLiteral("Nieznany rodzaj pliku %1: Moravel otwiera pliki .kpr, .kwp, .kws i .kwx").arg(path));
        switch (*kind) {
            case DataFileKind::Project:
                window::LoadProject(window, path);
                break;
            case DataFileKind::Rainfall:
                window::LoadRainfall(window, path);
                break;
            case DataFileKind::Scs:
                window::LoadScs(window, path);
                break;
            case DataFileKind::Parameters:
                window::LoadParameters(window, path);
                break;
        }
    });
}

void OpenFromCommandLine(TFormatkaOkno& window, const QStringList& arguments)
{
    for (QString path : arguments) {
        if (path.startsWith(QLatin1String("file:")))
            path = QUrl(path).toLocalFile();
        // An empty argument (a launcher's empty file placeholder) names no file.
        if (path.trimmed().isEmpty())
            continue;
        OpenDataFile(window, path);
    }
}

QObject* BindFileDrops(TFormatkaOkno& window)
{
    auto* filter = new DropFilter(window);
    window.setAcceptDrops(true);
    CoverWithFileDrops(filter, &window);
    return filter;
}

void CoverWithFileDrops(QObject* filter, QWidget* root)
{
    root->installEventFilter(filter);
    // A drop lands on the widget under the pointer; edits would take a file as its path's text.
    for (QWidget* child : root->findChildren<QWidget*>())
        child->installEventFilter(filter);
}

}  // namespace moravel::window
