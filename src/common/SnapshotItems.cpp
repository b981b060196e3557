#include "common/SnapshotItems.h"

#include "common/JsonScan.h"

#include <QHashFunctions>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace {

// Far inside the parser's own limit, so an item that parses alone also parses
// where it stands in the body.
constexpr int kMaxDepth = 256;

struct ItemsFound
{
    int orders = 0; // "orders" members that are objects
    int items = 0;  // "items" members inside them
    qsizetype begin = -1, end = -1;
    QList<SnapshotItems::Item> list;
};

QJsonObject parseObject(QByteArrayView bytes, bool *ok)
{
    QJsonParseError error;
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromRawData(bytes.data(), bytes.size()), &error);
    *ok = error.error == QJsonParseError::NoError && document.isObject();
    return document.object();
}

} // namespace

QByteArrayView SnapshotItems::bytesOf(const Item &item) const
{
    return QByteArrayView(m_body).sliced(item.begin, item.size);
}

QJsonObject SnapshotItems::objectOf(const Item &item) const
{
    if (item.parsed)
        return item.object;
    bool ok = false;
    return parseObject(bytesOf(item), &ok);
}

QSet<size_t> SnapshotItems::digests() const
{
    QSet<size_t> set;
    set.reserve(m_items.size());
    for (const Item &item : m_items)
        set.insert(item.digest);
    return set;
}

QJsonObject SnapshotItems::withItems(const QJsonObject &root) const
{
    if (!m_cut)
        return root;
    QJsonArray list;
    for (const Item &item : m_items)
        list.append(objectOf(item));
    const bool wrapped = root.contains(QLatin1String("snapshot"));
    QJsonObject container = wrapped ? root.value(QLatin1String("snapshot")).toObject() : root;
    QJsonObject orders = container.value(QLatin1String("orders")).toObject();
    orders.insert(QLatin1String("items"), list);
    container.insert(QLatin1String("orders"), orders);
    if (!wrapped)
        return container;
    QJsonObject whole = root;
    whole.insert(QLatin1String("snapshot"), container);
    return whole;
}

size_t SnapshotItems::digestOf(QByteArrayView bytes)
{
    return qHash(bytes, QHashSeed::globalSeed());
}

QJsonObject SnapshotItems::read(const QByteArray &body, const QSet<size_t> &known, SnapshotItems *cut,
                                bool *isJson, bool *isObject)
{
    *cut = SnapshotItems();
    const auto whole = [&] {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(body, &error);
        if (isJson)
            *isJson = error.error == QJsonParseError::NoError;
        if (isObject)
            *isObject = document.isObject();
        return document.object();
    };

    const QByteArrayView json(body);
    bool unusual = false;
    int snapshots = 0;
    ItemsFound top, inSnapshot;
    const auto skip = [&](qsizetype begin) { return JsonScan::valueEnd(json, begin, kMaxDepth); };
    const auto keyIs = [&](QByteArrayView key, const char *name) {
        if (key.contains('\\'))
            unusual = true; // it may spell a name another way; the plain parse decides
        return key == QByteArrayView(name);
    };
    const auto walkOrders = [&](ItemsFound &found, qsizetype begin) {
        ++found.orders;
        return JsonScan::walkObject(json, begin, [&](QByteArrayView key, qsizetype value) {
            if (!keyIs(key, "items") || json.at(value) != '[')
                return skip(value);
            ++found.items;
            found.begin = value;
            found.list.clear();
            found.end = JsonScan::walkArray(json, value, [&](qsizetype element) {
                const qsizetype end = JsonScan::valueEnd(json, element, kMaxDepth);
                if (end >= 0)
                    found.list.append({element, end - element, 0, {}, false});
                return end;
            });
            return found.end;
        });
    };
    const qsizetype start = JsonScan::skipSpace(json, 0);
    const qsizetype rootEnd = JsonScan::walkObject(json, start, [&](QByteArrayView key, qsizetype value) {
        if (keyIs(key, "orders") && json.at(value) == '{')
            return walkOrders(top, value);
        if (!keyIs(key, "snapshot"))
            return skip(value);
        ++snapshots;
        if (json.at(value) != '{')
            return skip(value);
        return JsonScan::walkObject(json, value, [&](QByteArrayView inner, qsizetype innerValue) {
            if (keyIs(inner, "orders") && json.at(innerValue) == '{')
                return walkOrders(inSnapshot, innerValue);
            return skip(innerValue);
        });
    });
    if (rootEnd < 0 || unusual || snapshots > 1 || JsonScan::skipSpace(json, rootEnd) != json.size())
        return whole();
    // A "snapshot" member is where the client looks, whatever it holds.
    ItemsFound &found = snapshots == 1 ? inSnapshot : top;
    if (found.orders != 1 || found.items != 1 || found.end < 0)
        return whole();

    QByteArray rest;
    rest.reserve(body.size() - (found.end - found.begin) + 2);
    rest.append(json.first(found.begin)).append("[]").append(json.sliced(found.end));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(rest, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return whole();

    for (SnapshotItems::Item &item : found.list) {
        const QByteArrayView bytes = json.sliced(item.begin, item.size);
        item.digest = digestOf(bytes);
        if (known.contains(item.digest))
            continue;
        bool ok = false;
        item.object = parseObject(bytes, &ok);
        if (!ok)
            return whole();
        item.parsed = true;
    }
    cut->m_body = body;
    cut->m_items = std::move(found.list);
    cut->m_cut = true;
    if (isJson)
        *isJson = true;
    if (isObject)
        *isObject = true;
    return document.object();
}
