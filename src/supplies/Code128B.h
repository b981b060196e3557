#pragma once

#include <QString>
#include <QVector>

// Code 128 in code set B: the symbol values of a text, its checksum and the widths of
// its bars and spaces in modules.
class Code128B
{
public:
    static constexpr int kStartB = 104;
    static constexpr int kStop = 106;
    // Modules of a symbol character; the stop pattern has 13.
    static constexpr int kSymbolModules = 11;
    static constexpr int kStopModules = 13;

    // The data values of a text: code − 32; characters outside 32 … 126 count as a blank.
    static QVector<int> dataValues(const QString &text);
    // (104 + Σ valueᵢ × i) mod 103, positions counted from 1.
    static int checksum(const QVector<int> &dataValues);
    // Start, data, checksum, stop; empty for an empty text.
    static QVector<int> symbolValues(const QString &text);
    // Bar and space widths in modules, alternating and starting with a bar: six per
    // symbol character, seven for the stop (its final bar included). Empty for an empty text.
    static QVector<int> moduleWidths(const QString &text);
    // Total modules of the symbol without quiet zones.
    static int moduleCount(const QString &text);
    // The widths of one symbol value, e.g. "211214" for start B.
    static QString pattern(int value);
};
