#include "runecast/FaultTable.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdio>
#include <optional>

namespace runecast {

// Descriptions are Windows-1252 bytes, passed to the window unchanged: the typographic apostrophe
// of 133 and 134 is stored as byte 0x92, the code page's right single quote (Latin-1 has none).
// faults.tsv is therefore not UTF-8; edit it as Windows-1252.

namespace {

constexpr const char* kBuiltInPath = ":/runecast/faults.tsv";
constexpr const char* kLineForm = "number<TAB>Text32 action<TAB>Text33 action<TAB>description";

std::string lineMessage(int line, const std::string& message)
{
    return "fault table line " + std::to_string(line) + ": " + message;
}

// Decimal text without sign, spaces or leading zeros; nine digits at most, so it fits an int.
std::optional<int> parsePlainNumber(std::string_view text)
{
    if (text.empty() || text.size() > 9 || (text.size() > 1 && text.front() == '0'))
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<NoteAction> parseAction(std::string_view text)
{
    if (text == "show")
        return NoteAction::Show;
    if (text == "hide")
        return NoteAction::Hide;
    if (text == "keep")
        return NoteAction::Keep;
    return std::nullopt;
}

// Control bytes would break the one-paragraph box; the five bytes Windows-1252 leaves undefined
// would show as nothing.
bool isShowableByte(unsigned char byte)
{
    if (byte < 0x20 || byte == 0x7F)
        return false;
    return byte != 0x81 && byte != 0x8D && byte != 0x8F && byte != 0x90 && byte != 0x9D;
}

std::string quoted(std::string_view text)
{
    constexpr std::size_t kShown = 20;
    std::string out = "'" + std::string(text.substr(0, kShown));
    if (text.size() > kShown)
        out += "...";
    return out + "'";
}

NoteAction actionField(std::string_view field, const char* box, int line)
{
    if (auto action = parseAction(field))
        return *action;
    throw FaultTableError(line, std::string(box) + " action " + quoted(field) +
                                    " is not one of show, hide, keep");
}

std::string describeByte(unsigned char byte)
{
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", byte);
    return hex;
}

FaultEntry parseLine(std::string_view line, int lineNumber)
{
    if (line.empty())
        throw FaultTableError(lineNumber, std::string("empty line; expected ") + kLineForm);

    std::string_view fields[4];
    std::size_t count = 0;
    std::string_view rest = line;
    while (count < 3) {
        const std::size_t tab = rest.find('\t');
        if (tab == std::string_view::npos)
            break;
        fields[count++] = rest.substr(0, tab);
        rest.remove_prefix(tab + 1);
    }
    fields[count++] = rest;
    if (count < 4)
        throw FaultTableError(lineNumber, std::to_string(count) + " field(s) where 4 are expected: " +
                                              kLineForm);
    if (rest.find('\t') != std::string_view::npos)
        throw FaultTableError(lineNumber, "a tab inside the description; expected " +
                                              std::string(kLineForm));

    FaultEntry entry;
    const auto number = parsePlainNumber(fields[0]);
    if (!number)
        throw FaultTableError(lineNumber, "fault number " + quoted(fields[0]) +
                                              " is not a decimal number without sign, spaces or leading zeros");
    if (*number != lineNumber)
        throw FaultTableError(lineNumber, "fault number " + std::to_string(*number) + " where " +
                                              std::to_string(lineNumber) +
                                              " is expected (numbers run 1, 2, 3 ... one per line)");
    entry.number = *number;
    entry.text32 = actionField(fields[1], "Text32", lineNumber);
    entry.text33 = actionField(fields[2], "Text33", lineNumber);

    const std::string_view description = fields[3];
    if (description.empty())
        throw FaultTableError(lineNumber, "empty description");
    for (std::size_t i = 0; i < description.size(); ++i) {
        const auto byte = static_cast<unsigned char>(description[i]);
        if (!isShowableByte(byte))
            throw FaultTableError(lineNumber, "byte " + describeByte(byte) + " at description column " +
                                                  std::to_string(i + 1) +
                                                  "; expected printable Windows-1252 text on one line");
    }
    entry.description = std::string(description);
    return entry;
}

std::string readBuiltInTable()
{
    QFile file(QString::fromLatin1(kBuiltInPath));
    if (!file.open(QIODevice::ReadOnly))
        throw FaultTableError(0, std::string("built-in fault table ") + kBuiltInPath +
                                     " cannot be read: " + file.errorString().toStdString());
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::vector<FaultEntry> loadBuiltInTable()
{
    auto table = parseFaultTable(readBuiltInTable());
    if (table.size() != static_cast<std::size_t>(kFaultCount))
        throw FaultTableError(0, "built-in fault table has " + std::to_string(table.size()) +
                                     " entries where " + std::to_string(kFaultCount) + " are expected");
    return table;
}

} // namespace

FaultTableError::FaultTableError(int line, const std::string& message)
    : std::runtime_error(line > 0 ? lineMessage(line, message) : message), line_(line)
{
}

std::vector<FaultEntry> parseFaultTable(std::string_view text)
{
    std::vector<FaultEntry> entries;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        entries.push_back(parseLine(line, lineNumber));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return entries;
}

const std::vector<FaultEntry>& faultTable()
{
    static const std::vector<FaultEntry> table = loadBuiltInTable();
    return table;
}

const FaultEntry* lookupFault(std::string_view text)
{
    const auto number = parsePlainNumber(text);
    if (!number || *number < 1 || *number > kFaultCount)
        return nullptr;
    return &faultTable()[static_cast<std::size_t>(*number - 1)];
}

} // namespace runecast
