#pragma once
// Text in the kit is a byte string in an 8-bit code page: one char per received or sent byte,
// CR LF counting as two characters. These helpers convert at the edge to Qt's text model;
// TextOps.h has the substring, search and number operations.
#include "toolkit/TextOps.h"

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

} // namespace toolkit
