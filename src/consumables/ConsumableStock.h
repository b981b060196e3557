#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

// Readers of the stock figures the server sends (in snapshots and event replies) and
// the summaries shown above each list. Entries are string-keyed maps:
//   boxes      {boxType, count}
//   inks       {color, count}
//   materials  {mat_type, length_m[, material_id, cell_qr, created_at]}
//   dynamic    {name, title, count} or, for measure "length", {name, title, length_m}
namespace ConsumableStock {

struct DynamicStock
{
    QString measure;     // "count" unless the server says "length" or another measure
    QString title;
    QVariantList items;
};

// A map holding "stock" is read from there; a map of type -> number gives one entry
// per key; a list gives one entry per element.
QVariantList readBoxes(const QVariant &value);
QVariantList readInks(const QVariant &value);
// A list of rolls, directly or under "items" or "rows".
QVariantList readMaterials(const QVariant &value);
// "consumables": server type -> {measure, title, items | rows | {name: amount}}.
QHash<QString, DynamicStock> readDynamic(const QVariant &value);

QString boxesSummary(const QVariantList &boxes);
QString inksSummary(const QVariantList &inks);
QString materialsSummary(const QVariantList &materials);
QString dynamicSummary(const DynamicStock &stock);
// The distinct material types (from mat_type, type and name), in order of appearance.
QStringList materialTypeOptions(const QVariantList &materials);

// Takes amount off the first entry whose name (under nameKeys) has the canonical key
// itemKey; the figure under amountKey never goes below zero. False when none matched.
bool takeFrom(QVariantList &entries, const QStringList &nameKeys, const QString &amountKey,
              const QString &itemKey, double amount);

} // namespace ConsumableStock
