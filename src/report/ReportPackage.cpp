#include "report/ReportPackage.h"

#include "text/Error.h"

#include <QFile>
#include <QLocale>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <unzip.h>
#include <zip.h>

#include <memory>
#include <set>

namespace moravel::report {

QString ReportWriteErrorText(const QString& path, const QString& reason)
{
    return QStringLiteral("Nie można zapisać raportu w pliku %1: %2").arg(path, reason);
}

namespace {

struct UnzipCloser {
    void operator()(void* file) const { unzClose(file); }
};
struct ZipCloser {
    void operator()(void* file) const { zipClose(file, nullptr); }
};
using UnzipHandle = std::unique_ptr<void, UnzipCloser>;
using ZipHandle = std::unique_ptr<void, ZipCloser>;

constexpr int kCopyBlock = 64 * 1024;

class PackageCopier {
public:
    PackageCopier(const QString& source, const QString& target) : target_(target)
    {
        in_.reset(unzOpen64(QFile::encodeName(source).constData()));
        if (!in_)
            Fail(QStringLiteral("nie można odczytać archiwum roboczego"));
        out_.reset(zipOpen64(QFile::encodeName(target).constData(), APPEND_STATUS_CREATE));
        if (!out_)
            Fail(QStringLiteral("nie można utworzyć pliku"));
    }

    void Copy(const std::vector<PackageEdit>& edits)
    {
        std::set<QString> done;
        int status = unzGoToFirstFile(in_.get());
        for (; status == UNZ_OK; status = unzGoToNextFile(in_.get())) {
            unz_file_info64 info{};
            char name[1024];
            Check(unzGetCurrentFileInfo64(in_.get(), &info, name, sizeof name, nullptr, 0, nullptr, 0));
            zip_fileinfo entry{};
            entry.dosDate = info.dosDate;
            entry.internal_fa = info.internal_fa;
            entry.external_fa = info.external_fa;

            const QString entryName = QString::fromUtf8(name);
            const PackageEdit* edit = nullptr;
            for (const PackageEdit& e : edits)
                if (e.entry == entryName)
                    edit = &e;
            if (edit && edit->stream) {
                StreamEntry(name, entry, *edit);
                done.insert(entryName);
            } else if (edit) {
                WriteEntry(name, entry, edit->rewrite(ReadEntry(info)));
                done.insert(entryName);
            } else {
                CopyRaw(name, entry, info);
            }
        }
        if (status != UNZ_END_OF_LIST_OF_FILE)
            Check(status);
        for (const PackageEdit& e : edits)
            if (!done.count(e.entry))
                Fail(QStringLiteral("brak części %1").arg(e.entry));
        zipFile out = out_.release();
        if (zipClose(out, nullptr) != ZIP_OK)
            Fail(QStringLiteral("błąd zapisu archiwum"));
    }

private:
    [[noreturn]] void Fail(const QString& reason) const { throw Error(ReportWriteErrorText(target_, reason)); }
    void Check(int status) const
    {
        if (status != UNZ_OK)
            Fail(QStringLiteral("błąd archiwum zip (%1)").arg(status));
    }

    QByteArray ReadEntry(const unz_file_info64& info)
    {
        Check(unzOpenCurrentFile(in_.get()));
        QByteArray content(static_cast<qsizetype>(info.uncompressed_size), Qt::Uninitialized);
        qsizetype read = 0;
        while (read < content.size()) {
            const int n =
                unzReadCurrentFile(in_.get(), content.data() + read,
                                   static_cast<unsigned>(std::min<qsizetype>(kCopyBlock, content.size() - read)));
            if (n <= 0)
                Fail(QStringLiteral("błąd odczytu archiwum roboczego"));
            read += n;
        }
        Check(unzCloseCurrentFile(in_.get()));  // verifies the CRC
        return content;
    }

    void WriteEntry(const char* name, const zip_fileinfo& entry, const QByteArray& content)
    {
        Check(zipOpenNewFileInZip64(out_.get(), name, &entry, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, Z_BEST_SPEED,
                                    0));
        Check(zipWriteInFileInZip(out_.get(), content.constData(), static_cast<unsigned>(content.size())));
        Check(zipCloseFileInZip(out_.get()));
    }

    // Inflates the entry piece by piece into the edit, which deflates what it writes.
    void StreamEntry(const char* name, const zip_fileinfo& entry, const PackageEdit& edit)
    {
        Check(unzOpenCurrentFile(in_.get()));
        Check(zipOpenNewFileInZip64(out_.get(), name, &entry, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, Z_BEST_SPEED,
                                    0));
        const PartReader read = [this] {
            QByteArray piece(kCopyBlock, Qt::Uninitialized);
            const int n = unzReadCurrentFile(in_.get(), piece.data(), kCopyBlock);
            if (n < 0)
                Fail(QStringLiteral("błąd odczytu archiwum roboczego"));
            piece.truncate(n);
            return piece;
        };
        const PartWriter write = [this](const QByteArray& piece) {
            Check(zipWriteInFileInZip(out_.get(), piece.constData(), static_cast<unsigned>(piece.size())));
        };
        edit.stream(read, write);
        Check(unzCloseCurrentFile(in_.get()));  // verifies the CRC
        Check(zipCloseFileInZip(out_.get()));
    }

    // Moves the compressed bytes across without inflating them.
    void CopyRaw(const char* name, const zip_fileinfo& entry, const unz_file_info64& info)
    {
        int method = 0;
        int level = 0;
        Check(unzOpenCurrentFile2(in_.get(), &method, &level, 1));
        Check(zipOpenNewFileInZip2_64(out_.get(), name, &entry, nullptr, 0, nullptr, 0, nullptr, method, level, 1, 0));
        char buffer[kCopyBlock];
        for (;;) {
            const int n = unzReadCurrentFile(in_.get(), buffer, sizeof buffer);
            if (n < 0)
                Fail(QStringLiteral("błąd odczytu archiwum roboczego"));
            if (n == 0)
                break;
            Check(zipWriteInFileInZip(out_.get(), buffer, static_cast<unsigned>(n)));
        }
        Check(unzCloseCurrentFile(in_.get()));
        Check(zipCloseFileInZipRaw64(out_.get(), info.uncompressed_size, info.crc));
    }

    QString target_;
    UnzipHandle in_;
    ZipHandle out_;
};

// "AB12" -> row 11, column 27 (0-based); false for anything else.
bool ParseCellReference(QStringView ref, int& row, int& column)
{
    int i = 0;
    column = 0;
    while (i < ref.size() && ref[i] >= u'A' && ref[i] <= u'Z')
        column = column * 26 + (ref[i++].unicode() - u'A' + 1);
    if (i == 0 || i == ref.size())
        return false;
    bool ok = false;
    row = ref.mid(i).toInt(&ok) - 1;
    column -= 1;
    return ok && row >= 0;
}

}  // namespace

void RewritePackage(const QString& source, const QString& target, const std::vector<PackageEdit>& edits)
{
    PackageCopier(source, target).Copy(edits);
}

namespace {

// The copy of a worksheet part as WriteWithExactNumbers makes it: read piece by piece, written
// token by token, the numeric cells that have an exact value given it.
class ExactNumbersCopy {
public:
    ExactNumbersCopy(const PartReader& sheetXml, const PartWriter& write, const ExactCellValue& exact)
        : sheetXml_(sheetXml), write_(write), exact_(exact), out_(&result_)
    {
        // Names and namespace declarations are copied as written, prefixes included.
        in_.setNamespaceProcessing(false);
        result_.reserve(kOutputPiece + kOutputPiece / 8);
    }

    void Run()
    {
        Feed();
        while (!finished_) {
            switch (in_.readNext()) {
                case QXmlStreamReader::Invalid:
                    AtEndOfInput();
                    break;
                case QXmlStreamReader::StartDocument:
                    // A writer into a string leaves the encoding out, so the declaration is written here.
                    write_(QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"") +
                           (in_.isStandaloneDocument() ? QByteArrayLiteral(" standalone=\"yes\"?>\n")
                                                       : QByteArrayLiteral("?>\n")));
                    break;
                case QXmlStreamReader::StartElement:
                    StartElement();
                    break;
                case QXmlStreamReader::EndElement:
                    if (in_.qualifiedName() == u"c")
                        exactCell_ = false;
                    inValue_ = false;
                    out_.writeEndElement();
                    rootClosed_ = --depth_ == 0;
                    break;
                case QXmlStreamReader::Characters:
                    if (!inValue_)
                        out_.writeCharacters(in_.text().toString());
                    break;
                case QXmlStreamReader::EndDocument:
                    out_.writeEndDocument();
                    finished_ = true;
                    break;
                default:
                    out_.writeCurrentToken(in_);
                    break;
            }
            if (result_.size() >= kOutputPiece)
                Flush();
        }
        Flush();
    }

private:
    // Written into a string, encoded and passed on in pieces of about a megabyte: much faster
    // than many small writes into a byte array's buffer device.
    static constexpr qsizetype kOutputPiece = 1 << 20;

    void Feed()
    {
        const QByteArray piece = sheetXml_();
        if (piece.isEmpty())
            moreInput_ = false;
        else
            in_.addData(piece);
    }

    void Flush()
    {
        if (!result_.isEmpty())
            write_(result_.toUtf8());
        result_.clear();
    }

    // The reader ran out of what it was given: more input, the end of the part, or an error.
    void AtEndOfInput()
    {
        if (in_.error() != QXmlStreamReader::PrematureEndOfDocumentError)
            throw Error(QStringLiteral("Błąd w części arkusza raportu: %1").arg(in_.errorString()));
        if (moreInput_) {
            Feed();
        } else if (rootClosed_) {
            // Read piece by piece, the end of the input is only known when it comes.
            out_.writeEndDocument();
            finished_ = true;
        } else {
            throw Error(QStringLiteral("Błąd w części arkusza raportu: %1").arg(in_.errorString()));
        }
    }

    // An element copied with its attributes; a numeric cell's exact value looked up, and
    // written as the text of its value element.
    void StartElement()
    {
        ++depth_;
        const QStringView name = in_.qualifiedName();
        out_.writeStartElement(name.toString());
        const QXmlStreamAttributes attributes = in_.attributes();
        for (const QXmlStreamAttribute& a : attributes)
            out_.writeAttribute(a.qualifiedName().toString(), a.value().toString());
        if (name == u"c") {
            exactCell_ = false;
            int row = 0;
            int column = 0;
            const bool numeric =
                !attributes.hasAttribute(QStringLiteral("t")) || attributes.value(QStringLiteral("t")) == u"n";
            if (numeric && ParseCellReference(attributes.value(QStringLiteral("r")), row, column)) {
                const std::optional<double> value = exact_(row, column);
                exactCell_ = value.has_value();
                cellValue_ = value.value_or(0);
            }
        } else if (name == u"v" && exactCell_) {
            inValue_ = true;
            out_.writeCharacters(QString::number(cellValue_, 'g', QLocale::FloatingPointShortest));
        }
    }

    const PartReader& sheetXml_;
    const PartWriter& write_;
    const ExactCellValue& exact_;
    QXmlStreamReader in_;
    QString result_;
    QXmlStreamWriter out_;
    bool moreInput_ = true;
    // The exact value of the numeric cell being copied, when it has one.
    bool exactCell_ = false;
    double cellValue_ = 0;
    bool inValue_ = false;
    int depth_ = 0;
    bool rootClosed_ = false;
    bool finished_ = false;
};

}  // namespace

void WriteWithExactNumbers(const PartReader& sheetXml, const PartWriter& write, const ExactCellValue& exact)
{
    ExactNumbersCopy(sheetXml, write, exact).Run();
}

QByteArray WithExactNumbers(const QByteArray& sheetXml, const ExactCellValue& exact)
{
    bool given = false;
    QByteArray result;
    result.reserve(sheetXml.size() + sheetXml.size() / 8);
    WriteWithExactNumbers(
        [&] {
            if (given)
                return QByteArray();
            given = true;
            return sheetXml;
        },
        [&result](const QByteArray& piece) { result += piece; }, exact);
    return result;
}

}  // namespace moravel::report
