#include "Bytes.h"

#include <cctype>
#include <cstdlib>

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

std::string mid(std::string_view s, long pos, long n)
{
    if (pos < 1 || n <= 0 || static_cast<size_t>(pos) > s.size())
        return {};
    return std::string(s.substr(static_cast<size_t>(pos - 1), static_cast<size_t>(n)));
}

std::string right(std::string_view s, long n)
{
    if (n <= 0)
        return {};
    if (static_cast<size_t>(n) >= s.size())
        return std::string(s);
    return std::string(s.substr(s.size() - static_cast<size_t>(n)));
}

long instr(std::string_view s, std::string_view needle)
{
    const auto at = s.find(needle);
    return at == std::string_view::npos ? 0 : static_cast<long>(at) + 1;
}

double leadingNumber(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    std::string num;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        num.push_back(s[i++]);
    bool digits = false;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        num.push_back(s[i++]);
        digits = true;
    }
    if (i < s.size() && s[i] == '.') {
        num.push_back(s[i++]);
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
            num.push_back(s[i++]);
            digits = true;
        }
    }
    return digits ? std::strtod(num.c_str(), nullptr) : 0.0;
}

std::string decimal(long long v) { return std::to_string(v); }

} // namespace toolkit
