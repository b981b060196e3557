#pragma once

#include <QJsonObject>
#include <QString>
#include <QVariantMap>

// One bug report or production defect from the snapshot, flattened into the row
// map the issue pages and the dashboard read. The server has spelt these records
// many ways over time, so every field is the first non-empty of several keys.
class IssueRow
{
public:
    enum class Kind { Bug, Defect };

    // rowNumber is 1-based; it names records that carry neither key nor id.
    static QVariantMap build(const QJsonObject &record, Kind kind, int rowNumber);

    static QString kindName(Kind kind);
};
