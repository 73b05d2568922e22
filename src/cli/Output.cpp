#include "cli/Output.h"

#include "cli/Leftovers.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace moravel::cli {
namespace {

// The temporary's name template: hidden, beside the output, on the same file system, with
// its owner's name in it (Leftovers.h). The temporaries of killed runs in that folder go first.
QString TemporaryTemplate(const QString& path)
{
    const QFileInfo info(QDir::cleanPath(path));
    RemoveStaleTemporaries(info.absolutePath());
    return info.absoluteDir().filePath(QStringLiteral(".") + info.fileName() + QStringLiteral(".moravel-") +
                                       TemporaryOwner() + QStringLiteral("-XXXXXX"));
}

// What a file or folder made by a plain open or mkdir would get: `mode` less the umask (the
// temporaries are made private).
void GiveDefaultMode(const QString& path, mode_t mode)
{
    const mode_t mask = umask(0);
    umask(mask);
    chmod(QFile::encodeName(path).constData(), mode & ~mask);
}

// A folder moravel-run wrote: the realisations table and nothing but its own files.
bool IsResultsFolder(const QString& path)
{
    const QStringList entries =
        QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    const QStringList own{kRealisationsFileName, kHydrographsFileName, kPartFileName, kBandFileName};
    return entries.contains(kRealisationsFileName) &&
           std::all_of(entries.begin(), entries.end(), [&](const QString& e) { return own.contains(e); });
}

// The writer's refusals and failures are an output's: exit code 3.
template <typename F>
void AsOutputError(F&& f)
{
    try {
        f();
    } catch (const OutputError&) {
        throw;
    } catch (const Error& e) {
        throw OutputError(e.text());
    }
}

}  // namespace

void CannotCreate(const QString& path)
{
    throw OutputError(QStringLiteral("Nie można utworzyć pliku ") + path);
}

OutputFile::OutputFile(const QString& path)
{
    if (path.isEmpty()) {
        stdout_ = std::make_unique<QFile>();
        if (!stdout_->open(stdout, QIODevice::WriteOnly))
            throw OutputError(QStringLiteral("Nie można pisać na standardowe wyjście"));
        return;
    }
    AsOutputError([&] { file_.emplace(path, files::SafeFile::Writer::Stream); });
}

QIODevice& OutputFile::Device()
{
    return file_ ? file_->Device() : static_cast<QIODevice&>(*stdout_);
}

void OutputFile::Commit()
{
    if (stdout_) {
        if (!stdout_->flush())
            throw OutputError(QStringLiteral("Nie można pisać na standardowe wyjście"));
        return;
    }
    AsOutputError([&] { file_->Commit(); });
}

StagedFile::StagedFile(const QString& path)
{
    AsOutputError([&] { file_.emplace(path, files::SafeFile::Writer::Library); });
}

void StagedFile::Commit()
{
    AsOutputError([&] { file_->Commit(); });
}

void CheckResultsFolder(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return;
    if (!info.isDir())
        throw OutputError(QStringLiteral("%1 istnieje i nie jest katalogiem").arg(path));
    if (!QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System) &&
        !IsResultsFolder(path))
        throw OutputError(
            QStringLiteral("Katalog %1 istnieje i nie jest katalogiem wyników moravel-run: nie zostanie zastąpiony")
                .arg(path));
}

StagedFolder::StagedFolder(const QString& path) : path_(QDir::cleanPath(path))
{
    CheckResultsFolder(path);
    QByteArray name = QFile::encodeName(TemporaryTemplate(path));
    if (!mkdtemp(name.data()))
        throw OutputError(QStringLiteral("Nie można utworzyć katalogu ") + path);
    temporary_ = QFile::decodeName(name);
    GiveDefaultMode(temporary_, 0777);
}

StagedFolder::~StagedFolder()
{
    if (!committed_)
        QDir(temporary_).removeRecursively();
}

QString StagedFolder::File(const QString& name) const
{
    return QDir(temporary_).filePath(name);
}

void StagedFolder::Commit()
{
    CheckResultsFolder(path_);
    // An earlier results folder is replaced; an empty folder is replaced by the rename itself.
    switch (files::PlaceFolder(temporary_, path_, QFileInfo::exists(path_) && IsResultsFolder(path_))) {
        case files::FolderPlaced::OldNotMoved:
            throw OutputError(QStringLiteral("Nie można zastąpić katalogu ") + path_);
        case files::FolderPlaced::NewNotPlaced:
            throw OutputError(QStringLiteral("Nie można utworzyć katalogu ") + path_);
        case files::FolderPlaced::Done:
            break;
    }
    committed_ = true;
}

}  // namespace moravel::cli
