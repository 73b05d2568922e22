#pragma once
// Test doubles of the window's seams: they record what the window asked and answer from
// what the test prepared, so tests drive the real window without modal dialogs.
#include <QPrinter>
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "window/Seams.h"

namespace moravel::window {

class RecordingMessages : public Messages {
public:
    struct Entry {
        bool error;
        QString text;
    };
    void Info(const QString& text) override { log.push_back({false, text}); }
    void Error(const QString& text) override { log.push_back({true, text}); }
    // Records the question and gives the next queued answer; with none queued, "Anuluj".
    CloseChoice AskBeforeClosing(const QString& text) override
    {
        questions << text;
        if (closeAnswers.empty())
            return CloseChoice::Cancel;
        const CloseChoice answer = closeAnswers.front();
        closeAnswers.pop_front();
        return answer;
    }

    QStringList Infos() const { return Texts(false); }
    QStringList Errors() const { return Texts(true); }
    void Clear() { log.clear(); }

    std::vector<Entry> log;  // every box in the order shown
    QStringList questions;   // every question before closing, in order
    std::deque<CloseChoice> closeAnswers;

private:
    QStringList Texts(bool error) const
    {
        QStringList texts;
        for (const Entry& e : log)
            if (e.error == error)
                texts << e.text;
        return texts;
    }
};

class QueueFileDialogs : public FileDialogs {
public:
    struct Asked {
        FileDialogSpec dialogSpec;
        QString lastName;
    };
    std::optional<QString> Ask(const FileDialogSpec& dialogSpec, const QString& lastName) override
    {
        asked.push_back({dialogSpec, lastName});
        if (answers.empty())
            return std::nullopt;
        std::optional<QString> answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::optional<QString> AskWithFilter(const FileDialogSpec& dialogSpec, const QString& lastName,
                                         int& filterIndex) override
    {
        filterIndex = -1;
        if (!filterAnswers.empty()) {
            filterIndex = filterAnswers.front();
            filterAnswers.pop_front();
        }
        return Ask(dialogSpec, lastName);
    }

    std::deque<std::optional<QString>> answers;  // std::nullopt: the user cancels
    std::deque<int> filterAnswers;               // the filter chosen with each answer; none: -1
    std::vector<Asked> asked;
};

class RecordingWorkbookOpener : public WorkbookOpener {
public:
    void Open(const QString& path) override { opened << path; }
    QStringList opened;  // every path handed over, in order
};

// Prints into a PDF file instead of showing the preview: what the preview would show, page
// for page.
class PdfPrinting : public Printing {
public:
    void Print(const std::function<void(QPrinter& printer)>& paint) override
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        paint(printer);
        ++prints;
    }
    QString path;  // where the pages go
    int prints = 0;
};

}  // namespace moravel::window
