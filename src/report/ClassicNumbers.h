#pragma once
// Numbers printed in the "C" locale while a workbook is written.
#include <clocale>
#include <locale.h>

namespace moravel::report {

// libxlsxwriter prints numbers with the C library; the user's locale may have a decimal
// comma, which would make the file unreadable. Numbers are printed in the "C" locale while
// the workbook is written, in this thread only.
class ClassicNumbers {
public:
    ClassicNumbers() : classic_(newlocale(LC_NUMERIC_MASK, "C", duplocale(LC_GLOBAL_LOCALE)))
    {
        if (classic_)
            previous_ = uselocale(classic_);
    }
    ~ClassicNumbers()
    {
        if (classic_) {
            uselocale(previous_);
            freelocale(classic_);
        }
    }
    ClassicNumbers(const ClassicNumbers&) = delete;
    ClassicNumbers& operator=(const ClassicNumbers&) = delete;

private:
    locale_t classic_;
    locale_t previous_ = nullptr;
};

}  // namespace moravel::report
