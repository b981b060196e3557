#pragma once

#include "common/SnapshotItems.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QPair>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <QVector>

// One order row as the orders model keeps it: the server's object, shared with
// the parsed snapshot, and what the page's filters need, worked out once.
struct OrderRow
{
    QJsonObject object;
    QString key;
    QString identity;   // order key and its occurrence, so repeated keys stay apart
    QString searchText; // lower case
    bool picture = false;
    // The digest and size of the bytes the row came as; size -1 when it came
    // parsed, so only a comparison of objects can tell it unchanged.
    size_t digest = 0;
    qsizetype bytes = -1;
};

// The lists that come with the orders, in both forms: JSON to compare snapshots,
// variants for the scene.
struct OrdersSideLists
{
    QJsonObject summaryJson;
    QJsonArray scansJson, productsJson, fboJson, printQueueJson, reprintsJson, stockJson;
    QVariantMap summary;
    QVariantList scans, products, fbo, printQueue, reprints, stock;
};

// What turns the rows a model holds into the rows of a new snapshot: removals,
// a reorder of what stays, insertions and updates. Worked out from values only
// (no model), so it may run on any thread; the model applies it with the matching signals.
struct OrdersSnapshotPlan
{
    QVector<OrderRow> rows;                    // the new rows, in the snapshot's order
    QVector<QPair<int, int>> removals;         // first/last in the old rows, descending
    bool reordered = false;                    // the rows that stay come in another order
    QVector<int> keptOrder;                    // old index of each kept row, in the new order
    QVector<QPair<int, int>> insertions;       // first/last in the new rows, ascending
    QVector<QPair<int, int>> updates;          // first/last in the new rows, ascending
    bool sideChanged = false;
    OrdersSideLists side;                      // filled when sideChanged

    bool rowsChanged() const { return !removals.isEmpty() || reordered || !insertions.isEmpty() || !updates.isEmpty(); }
    // So many scattered changes that one reset is cheaper than the separate signals.
    bool wantsReset(int oldCount) const;

    // root: a snapshot reply, a snapshot, an orders object or a bare orders object.
    // items: the orders' items when they were cut out of root's body; an item
    // with the bytes of the row that stood there before is that row, unparsed.
    static OrdersSnapshotPlan make(const QVector<OrderRow> &current, const OrdersSideLists &currentSide,
                                   const QJsonObject &root, const SnapshotItems &items = {});

    static bool isPictureRow(const QJsonObject &row);
    static QString searchTextOf(const QJsonObject &row);
};
