#pragma once

#include <QByteArrayView>

#include <utility>

// Finds where values begin and end in JSON text without building them: strings
// (with their escapes) and brackets only. It does not check the grammar beyond
// that; whatever it delimits is either parsed afterwards or compared with bytes
// that were. Positions are byte offsets into the text.
class JsonScan
{
public:
    // The first position at or after pos that is not JSON whitespace.
    static qsizetype skipSpace(QByteArrayView json, qsizetype pos);
    // The end of the value starting at pos (no leading whitespace), or -1 when
    // it is cut short, unbalanced or nested deeper than maxDepth brackets.
    static qsizetype valueEnd(QByteArrayView json, qsizetype pos, int maxDepth);
    // Walks the object that starts at pos ('{'). For each member, visit(key,
    // valueBegin) returns the end of the value: valueEnd() to skip it, or a walk
    // of its own to look inside; -1 stops the walk. Returns the end of the
    // object, or -1. Skipping a value costs a pass over its bytes, so a caller
    // that looks inside a big value walks it instead of skipping it first.
    template<typename Visit>
    static qsizetype walkObject(QByteArrayView json, qsizetype pos, Visit &&visit);
    // The same for the elements of the array that starts at pos ('['):
    // visit(elementBegin) returns the element's end.
    template<typename Visit>
    static qsizetype walkArray(QByteArrayView json, qsizetype pos, Visit &&visit);

    // The position just past the string whose opening quote is at pos, or -1.
    static qsizetype stringEnd(QByteArrayView json, qsizetype pos);

private:
    // After an entry of a container that ends at end: the container's end when
    // close follows, 0 with *next at the next entry after a comma, -1 otherwise.
    static qsizetype afterEntry(QByteArrayView json, qsizetype end, char close, qsizetype *next);
};

template<typename Visit>
qsizetype JsonScan::walkObject(QByteArrayView json, qsizetype pos, Visit &&visit)
{
    if (pos >= json.size() || json.at(pos) != '{')
        return -1;
    qsizetype i = skipSpace(json, pos + 1);
    if (i < json.size() && json.at(i) == '}')
        return i + 1;
    while (i < json.size()) {
        if (json.at(i) != '"')
            return -1;
        const qsizetype keyEnd = stringEnd(json, i);
        if (keyEnd < 0)
            return -1;
        const QByteArrayView key = json.sliced(i + 1, keyEnd - i - 2);
        i = skipSpace(json, keyEnd);
        if (i >= json.size() || json.at(i) != ':')
            return -1;
        i = skipSpace(json, i + 1);
        if (i >= json.size())
            return -1;
        const qsizetype end = visit(key, i);
        if (end < 0)
            return -1;
        if (const qsizetype closed = afterEntry(json, end, '}', &i); closed != 0)
            return closed;
    }
    return -1;
}

template<typename Visit>
qsizetype JsonScan::walkArray(QByteArrayView json, qsizetype pos, Visit &&visit)
{
    if (pos >= json.size() || json.at(pos) != '[')
        return -1;
    qsizetype i = skipSpace(json, pos + 1);
    if (i < json.size() && json.at(i) == ']')
        return i + 1;
    while (i < json.size()) {
        const qsizetype end = visit(i);
        if (end < 0)
            return -1;
        if (const qsizetype closed = afterEntry(json, end, ']', &i); closed != 0)
            return closed;
    }
    return -1;
}
