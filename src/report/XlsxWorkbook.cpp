#include "report/XlsxWorkbook.h"

#include "text/Error.h"

#include <QFile>

#include <utility>

namespace moravel::report {

XlsxWorkbook::XlsxWorkbook(const QString& file, FailureText failureText, Memory memory)
    : failureText_(std::move(failureText))
{
    files::RequireOneLinePath(file);
    PutInPlace([&] { target_.emplace(file, files::SafeFile::Writer::Library); });
    lxw_workbook_options options{};
    options.constant_memory = memory == Memory::Constant ? LXW_TRUE : LXW_FALSE;
    workbook_ = workbook_new_opt(QFile::encodeName(target_->WorkPath()).constData(), &options);
    if (!workbook_)
        Fail(QStringLiteral("brak pamięci"));
}

XlsxWorkbook::~XlsxWorkbook()
{
    if (workbook_)
        workbook_close(workbook_);
}

lxw_format* XlsxWorkbook::NewFormat()
{
    lxw_format* format = workbook_add_format(workbook_);
    if (!format)
        Fail(QStringLiteral("brak pamięci"));
    return format;
}

void XlsxWorkbook::Fail(const QString& reason) const
{
    throw Error(failureText_(reason));
}

void XlsxWorkbook::Text(lxw_worksheet* sheet, int row, int col, const QString& text, lxw_format* format) const
{
    Check(worksheet_write_string(sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(col),
                                 text.toUtf8().constData(), format));
}

void XlsxWorkbook::Number(lxw_worksheet* sheet, int row, int col, double value, lxw_format* format) const
{
    Check(worksheet_write_number(sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(col), value, format));
}

XlsxWorkbook::FailureText XlsxWorkbook::FileFailure(const QString& file)
{
    return [file](const QString& reason) { return QStringLiteral("Nie można zapisać pliku %1: %2").arg(file, reason); };
}

void XlsxWorkbook::Check(lxw_error error) const
{
    if (error == LXW_NO_ERROR)
        return;
    const QString detail = QString::fromUtf8(lxw_strerror(error));
    if (error == LXW_ERROR_CREATING_XLSX_FILE || error == LXW_ERROR_CREATING_TMPFILE)
        Fail(QStringLiteral("nie można utworzyć pliku (%1)").arg(detail));
    Fail(QStringLiteral("błąd zapisu skoroszytu (%1)").arg(detail));
}

void XlsxWorkbook::Close()
{
    // workbook_close frees the workbook whatever its result.
    lxw_workbook* workbook = std::exchange(workbook_, nullptr);
    Check(workbook_close(workbook));
    PutInPlace([this] { target_->Commit(); });
}

void XlsxWorkbook::PutInPlace(const std::function<void()>& step) const
{
    try {
        step();
    } catch (const Error&) {
        Check(LXW_ERROR_CREATING_XLSX_FILE);
    }
}

}  // namespace moravel::report
