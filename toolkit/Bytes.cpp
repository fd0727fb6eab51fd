#include "toolkit/Bytes.h"

namespace toolkit {

namespace {
// Bytes 0x80 to 0x9F as the Windows code page shows them; the five it leaves undefined keep
// their Latin-1 control characters, so every byte still maps to a character of its own.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
} // namespace

QString toQt(std::string_view bytes)
{
    QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* dst = out.data();
    for (char ch : bytes)
        *dst++ = charOf(ch);
    return out;
}

QChar charOf(char byte)
{
    const unsigned char b = static_cast<unsigned char>(byte);
    return QChar(b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : char16_t(b));
}

char byteOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u < 0x100))
        return static_cast<char>(u);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == u)
            return static_cast<char>(0x80 + i);
    return '?';
}

std::string fromQt(const QString& text)
{
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (QChar c : text)
        out.push_back(byteOf(c));
    return out;
}

} // namespace toolkit
