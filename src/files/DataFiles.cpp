#include "files/DataFiles.h"

#include "files/Cp1250.h"
#include "text/Error.h"
#include "text/Shown.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>

namespace moravel::files {
namespace {

[[noreturn]] void CannotOpen(const QString& path)
{
    throw Error(QStringLiteral("Nie można otworzyć pliku ") + text::Shown(path));
}

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

// The folder a project file's relative paths are resolved against: the folder of the file
// its bytes are in. A project named through a symbolic link is saved into the link's target
// (the link stays), so its paths are stored relative to the target's folder and read back
// against it, whichever name the project is opened by later.
QDir ProjectFolder(const QString& projectPath)
{
    QFileInfo file(projectPath);
    // A chain of links, followed as the system does (which gives up after 40).
    for (int links = 0; links < 40 && file.isSymLink(); ++links)
        file.setFile(file.symLinkTarget());
    return file.absoluteDir();
}

// Whether a path stored in a project is absolute. Only a leading '/' counts: Qt would also
// take ":name" as absolute (a path inside the program's own resources), but in a project it
// is a file of that name in the project's folder.
bool IsAbsolute(const QString& path)
{
    return path.startsWith(QLatin1Char('/'));
}

QString StoredPath(const QString& path, const QString& projectPath)
{
    if (path.isEmpty())
        return path;
    const QDir folder = ProjectFolder(projectPath);
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString relative = folder.relativeFilePath(absolute);
    if (relative.isEmpty() || IsAbsolute(relative) || relative == QLatin1String("..") ||
        relative.startsWith(QLatin1String("../")))
        return path;
    return relative;
}

QString ResolvedPath(const QString& stored, const QString& projectPath)
{
    if (stored.isEmpty() || IsAbsolute(stored))
        return stored;
    return QDir::cleanPath(ProjectFolder(projectPath).absolutePath() + QLatin1Char('/') + stored);
}

}  // namespace

QByteArray ReadFileStart(const QString& path, qsizetype maxSize)
{
    RequireNoNul(path);
    const QFileInfo info(path);
    // Only regular files: a directory cannot be read, and a pipe or device could block or
    // never end.
    if (path.isEmpty() || !info.isFile())
        CannotOpen(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        CannotOpen(path);
    QByteArray bytes = file.read(maxSize);
    if (file.error() != QFileDevice::NoError)
        CannotOpen(path);
    return bytes;
}

RainfallRecord ReadRainfallFile(const QString& path)
{
    return RainfallRecord::Decode(ReadFileStart(path, RainfallRecord::kSize));
}

ScsRecord ReadScsFile(const QString& path)
{
    return ScsRecord::Decode(ReadFileStart(path, ScsRecord::kSize));
}

ParametersRecord ReadParametersFile(const QString& path)
{
    return ParametersRecord::Decode(ReadFileStart(path, ParametersRecord::kSize));
}

void WriteRainfallFile(const QString& path, const RainfallRecord& record)
{
    WriteFileAtomically(path, record.Encode());
}

void WriteScsFile(const QString& path, const ScsRecord& record)
{
    WriteFileAtomically(path, record.Encode());
}

void WriteParametersFile(const QString& path, const ParametersRecord& record)
{
    WriteFileAtomically(path, record.Encode());
}

QByteArray EncodeProject(const ProjectPaths& paths, const QString& projectPath)
{
    QString text;
    for (const QString* p : {&paths.rainfall, &paths.scs, &paths.parameters})
        text += StoredPath(*p, projectPath) + QStringLiteral("\r\n");
    // A path must come back exactly as it was (not even recomposed), and Windows-1250 text
    // must not start like the byte-order mark that announces UTF-8.
    const QByteArray cp1250 = ToCp1250(text);
    if (FromCp1250(cp1250) == text && !cp1250.startsWith(kUtf8Bom))
        return cp1250;
    return kUtf8Bom + text.toUtf8();
}

ProjectPaths DecodeProject(const QByteArray& bytes, const QString& projectPath)
{
    QString text;
    if (bytes.startsWith(kUtf8Bom)) {
        // Only the one mark is dropped; a path may itself begin with U+FEFF.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        text = utf8.decode(QByteArrayView(bytes).sliced(kUtf8Bom.size()));
    } else {
        text = FromCp1250(bytes);
    }
    QStringList lines;
    QString line;
    for (qsizetype i = 0; i < text.size() && lines.size() < 3; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            lines.append(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (lines.size() < 3 && !line.isEmpty())
        lines.append(line);
    while (lines.size() < 3)
        lines.append(QString());
    return {ResolvedPath(lines[0], projectPath), ResolvedPath(lines[1], projectPath),
            ResolvedPath(lines[2], projectPath)};
}

ProjectPaths ReadProjectFile(const QString& path)
{
    return DecodeProject(ReadFileStart(path, kMaxProjectFileSize), path);
}

void WriteProjectFile(const QString& path, const ProjectPaths& paths)
{
    for (const QString* p : {&paths.rainfall, &paths.scs, &paths.parameters})
        RequireOneLinePath(*p);
    WriteFileAtomically(path, EncodeProject(paths, path));
}

}  // namespace moravel::files
