#pragma once
// Text in the kit is a byte string in an 8-bit code page: one char per received or sent byte,
// CR LF counting as two characters. These helpers convert at the edge to Qt's text model and
// give the 1-based substring and search operations the windows' offsets are written in.
#include <QString>
#include <string>
#include <string_view>

namespace toolkit {

// The kit's code page is Windows-1252 (Latin-1 with printable characters at 0x80-0x9F): every
// byte shows as a character of its own and comes back as the same byte.
QString toQt(std::string_view bytes);
std::string fromQt(const QString& text); // characters outside the code page become '?'
char byteOf(QChar c);
QChar charOf(char byte);

// Up to n characters starting at 1-based position pos, cut short at the end (possibly empty).
std::string mid(std::string_view s, long pos, long n);
std::string right(std::string_view s, long n);
// 1-based position of the first occurrence of needle, 0 when absent.
long instr(std::string_view s, std::string_view needle);

// The number a text begins with, read the way the car terminals and the decoder read cells:
// leading blanks skipped, optional sign, digits with an optional fraction; no number reads 0.
double leadingNumber(std::string_view s);

// Decimal text of an integer, no blanks ("12", "-3").
std::string decimal(long long v);

} // namespace toolkit
