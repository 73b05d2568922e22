#pragma once
// A workbook written with libxlsxwriter: opened when constructed, with numbers printed in the
// "C" locale for as long as it lives, and closed by Close(), which checks the result and puts
// the file in place through the program's one writer (files/SafeWrite.h: the library writes a
// temporary, which then replaces the file whole, or is copied into a device or a file with
// more names). Every failure throws moravel::Error with the caller's message for a reason in
// Polish; a name the writer refuses or a file it can't put in place is one that can't be
// created, as libxlsxwriter says it.
#include "files/SafeWrite.h"
#include "report/ClassicNumbers.h"

#include <QString>

#include <xlsxwriter.h>

#include <functional>
#include <optional>

namespace moravel::report {

class XlsxWorkbook {
public:
    // The message for a failure's reason, e.g. "Nie można zapisać raportu w pliku <path>: <reason>".
    using FailureText = std::function<QString(const QString& reason)>;

    // Held: every cell is kept until Close(). Constant: each row is written to a working file
    // once a later row is begun (rows must then be written in order, and texts are kept in
    // their cells rather than in the shared table).
    enum class Memory { Held, Constant };

    // Opens a workbook to be written to `file` when closed; fails with "brak pamięci", or as
    // Check does for a name the writer refuses (a name with a line break: the writer's text).
    XlsxWorkbook(const QString& file, FailureText failureText, Memory memory = Memory::Held);
    // A workbook that was not closed (an error is on its way) is closed unchecked, which frees it.
    ~XlsxWorkbook();
    XlsxWorkbook(const XlsxWorkbook&) = delete;
    XlsxWorkbook& operator=(const XlsxWorkbook&) = delete;

    lxw_workbook* Get() const { return workbook_; }
    // A new cell format; fails with "brak pamięci".
    lxw_format* NewFormat();

    [[noreturn]] void Fail(const QString& reason) const;
    // Fails for a libxlsxwriter error: "nie można utworzyć pliku (<detail>)" when the file or a
    // working file can't be made, else "błąd zapisu skoroszytu (<detail>)".
    void Check(lxw_error error) const;

    // A cell's text or number, failing as Check does.
    void Text(lxw_worksheet* sheet, int row, int col, const QString& text, lxw_format* format = nullptr) const;
    void Number(lxw_worksheet* sheet, int row, int col, double value, lxw_format* format = nullptr) const;

    // The failure text of the exports: "Nie można zapisać pliku <file>: <reason>".
    static FailureText FileFailure(const QString& file);

    // Writes the file and frees the workbook, failing as Check does, then puts it in place.
    void Close();

private:
    // Runs a step of the writer, its failure told as a file that can't be created.
    void PutInPlace(const std::function<void()>& step) const;

    ClassicNumbers classicNumbers_;
    FailureText failureText_;
    std::optional<files::SafeFile> target_;
    lxw_workbook* workbook_ = nullptr;
};

}  // namespace moravel::report
