#include "files/Cp1250.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace moravel::files {
namespace {

// The bytes that Windows-1250 leaves without a character.
bool IsUndefinedCp1250Byte(unsigned char b)
{
    return b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98;
}

// An iconv conversion descriptor, opened once per thread and reset before every use.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as it can; returns false with errno set where it stopped.
    bool Run(const char*& in, size_t& inLeft, char*& out, size_t& outLeft)
    {
        char* inPtr = const_cast<char*>(in);
        const size_t rc = iconv(cd_, &inPtr, &inLeft, &out, &outLeft);
        in = inPtr;
        return rc != static_cast<size_t>(-1);
    }
    void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t cd_;
};

Converter& Encoder()
{
    thread_local Converter c("WINDOWS-1250", "UTF-8");
    c.Reset();
    return c;
}

Converter& Decoder()
{
    thread_local Converter c("UTF-8", "WINDOWS-1250");
    c.Reset();
    return c;
}

// Length of the UTF-8 sequence that starts with `lead` (valid UTF-8 from QString::toUtf8).
size_t Utf8SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

}  // namespace

QByteArray ToCp1250(const QString& text)
{
    const QByteArray utf8 = text.normalized(QString::NormalizationForm_C).toUtf8();
    // Every character takes at least one UTF-8 byte and exactly one Windows-1250 byte.
    QByteArray result(utf8.size(), '\0');
    const char* in = utf8.constData();
    size_t inLeft = static_cast<size_t>(utf8.size());
    char* out = result.data();
    size_t outLeft = static_cast<size_t>(result.size());
    Converter& enc = Encoder();
    while (inLeft > 0) {
        if (enc.Run(in, inLeft, out, outLeft))
            break;
        if (errno == E2BIG)
            break;  // cannot happen: the output is as long as the input
        // A character Windows-1250 has no byte for (or a cut sequence at the end).
        const auto lead = static_cast<unsigned char>(*in);
        size_t len = Utf8SequenceLength(lead);
        if (len > inLeft)
            len = inLeft;
        // U+0081 ... U+0098 stand for the undefined bytes (see FromCp1250).
        const bool c1 = len == 2 && lead == 0xC2;
        const auto c1Byte = static_cast<unsigned char>(in[len - 1]);
        *out++ = (c1 && IsUndefinedCp1250Byte(c1Byte)) ? static_cast<char>(c1Byte) : '?';
        --outLeft;
        in += len;
        inLeft -= len;
        enc.Reset();
    }
    result.truncate(out - result.data());
    return result;
}

QString FromCp1250(const char* bytes, qsizetype size)
{
    if (size <= 0)
        return QString();
    // Every Windows-1250 character takes at most three UTF-8 bytes.
    QByteArray utf8(size * 3, '\0');
    const char* in = bytes;
    size_t inLeft = static_cast<size_t>(size);
    char* out = utf8.data();
    size_t outLeft = static_cast<size_t>(utf8.size());
    Converter& dec = Decoder();
    while (inLeft > 0) {
        if (dec.Run(in, inLeft, out, outLeft))
            break;
        if (errno == E2BIG)
            break;  // cannot happen: three bytes per character are reserved
        // An undefined byte: keep it as the control character of the same number.
        const auto b = static_cast<unsigned char>(*in);
        *out++ = static_cast<char>(0xC0 | (b >> 6));
        *out++ = static_cast<char>(0x80 | (b & 0x3F));
        outLeft -= 2;
        ++in;
        --inLeft;
        dec.Reset();
    }
    utf8.truncate(out - utf8.data());
    return QString::fromUtf8(utf8);
}

}  // namespace moravel::files
