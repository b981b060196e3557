#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonObject>
#include <QList>
#include <QMetaType>
#include <QSet>

// The orders' item list of a snapshot body, cut out before the body is parsed.
// A busy workshop's snapshot is mostly order items, and from one poll to the
// next most of them are the same bytes: those are recognised by a digest of
// their bytes and not parsed again. The rest of the body is parsed as usual.
class SnapshotItems
{
public:
    struct Item
    {
        qsizetype begin = 0;
        qsizetype size = 0;
        size_t digest = 0;
        QJsonObject object; // set when parsed
        bool parsed = false;
    };

    // Where the items were: the snapshot's orders, or orders at the top.
    bool isCut() const { return m_cut; }
    const QList<Item> &items() const { return m_items; }
    QByteArrayView bytesOf(const Item &item) const;
    // The item's object; parsed now when the item was recognised by its digest
    // (empty when it is not an object).
    QJsonObject objectOf(const Item &item) const;
    // Every item's digest, to recognise them in the next body.
    QSet<size_t> digests() const;
    // root as the plain parse of the whole body gives it: the items put back.
    QJsonObject withItems(const QJsonObject &root) const;

    // Parses a snapshot body: a snapshot reply, a snapshot, or the cache holding
    // either. When its orders hold an "items" array, the items are cut out: the
    // returned root has an empty "items" there and cut gets the items, each
    // parsed unless its digest is in known (it parsed before). Anything unusual
    // (a key with escapes or given twice, an item that is not an object, very deep
    // nesting, no items) parses the whole body instead and leaves cut empty.
    // isJson and isObject tell what the whole body is, as a plain parse would.
    static QJsonObject read(const QByteArray &body, const QSet<size_t> &known, SnapshotItems *cut,
                            bool *isJson = nullptr, bool *isObject = nullptr);

    static size_t digestOf(QByteArrayView bytes);

private:
    QByteArray m_body;
    QList<Item> m_items;
    bool m_cut = false;
};

Q_DECLARE_METATYPE(SnapshotItems)
