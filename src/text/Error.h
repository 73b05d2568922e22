#pragma once
// The program's one error type. Anything that ends a command (a text that is not a number,
// a floating-point fault, a file that can't be opened) throws it with the exact text the
// user sees; the window catches it in one place and shows it in the error box.
#include <QString>
#include <exception>

namespace moravel {

class Error : public std::exception {
public:
    explicit Error(QString text) : text_(std::move(text)), utf8_(text_.toUtf8()) {}
    const QString& text() const noexcept { return text_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString text_;
    QByteArray utf8_;
};

}  // namespace moravel
