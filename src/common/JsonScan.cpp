#include "common/JsonScan.h"

#include <QVarLengthArray>

#include <cstring>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

} // namespace

qsizetype JsonScan::stringEnd(QByteArrayView json, qsizetype pos)
{
    const char *data = json.data();
    const qsizetype size = json.size();
    // Most of a snapshot is text inside strings: jump from quote to quote and look
    // back for the backslashes that could escape each one (an odd run does).
    for (qsizetype from = pos + 1; from < size;) {
        const auto *quote = static_cast<const char *>(std::memchr(data + from, '"', size_t(size - from)));
        if (!quote)
            return -1;
        const qsizetype at = quote - data;
        qsizetype slashes = 0;
        while (at - slashes - 1 > pos && data[at - slashes - 1] == '\\')
            ++slashes;
        if (slashes % 2 == 0)
            return at + 1;
        from = at + 1;
    }
    return -1;
}

qsizetype JsonScan::skipSpace(QByteArrayView json, qsizetype pos)
{
    while (pos < json.size() && isSpace(json.at(pos)))
        ++pos;
    return pos;
}

qsizetype JsonScan::valueEnd(QByteArrayView json, qsizetype pos, int maxDepth)
{
    const char *data = json.data();
    const qsizetype size = json.size();
    if (pos >= size)
        return -1;
    const char first = data[pos];
    if (first == '"')
        return stringEnd(json, pos);
    if (first != '{' && first != '[') {
        // A number or a literal: up to the next delimiter.
        qsizetype i = pos;
        while (i < size && !isSpace(data[i]) && data[i] != ',' && data[i] != '}' && data[i] != ']'
               && data[i] != ':' && data[i] != '"' && data[i] != '{' && data[i] != '[')
            ++i;
        return i > pos ? i : -1;
    }
    // Brackets of both kinds on one stack of depth; a mismatch ends the scan.
    QVarLengthArray<char, 64> open;
    for (qsizetype i = pos; i < size; ++i) {
        const char c = data[i];
        switch (c) {
        case '"':
            i = stringEnd(json, i);
            if (i < 0)
                return -1;
            --i;
            break;
        case '{':
        case '[':
            if (open.size() >= maxDepth)
                return -1;
            open.append(c == '{' ? '}' : ']');
            break;
        case '}':
        case ']':
            if (open.isEmpty() || open.last() != c)
                return -1;
            open.removeLast();
            if (open.isEmpty())
                return i + 1;
            break;
        default:
            break;
        }
    }
    return -1;
}

qsizetype JsonScan::afterEntry(QByteArrayView json, qsizetype end, char close, qsizetype *next)
{
    const qsizetype i = skipSpace(json, end);
    if (i >= json.size())
        return -1;
    if (json.at(i) == close)
        return i + 1;
    if (json.at(i) != ',')
        return -1;
    *next = skipSpace(json, i + 1);
    return 0;
}
