#include "FuzzSupport.h"

#include "common/JsonRead.h"
#include "common/SnapshotItems.h"
#include "production/OrdersModel.h"

#include <QJsonDocument>

#include <cstdlib>

// Two snapshot bodies as the server sends them, one after the other (split at
// the first NUL byte). The orders table takes whatever came and the scene can
// read every row; and cutting the items out of a body, recognising the ones the
// first body had by their bytes, ends in the same rows as parsing it whole.
static void fail(const char *what)
{
    fprintf(stderr, "cut and plain parse differ: %s\n", what);
    abort();
}

static void sameRows(const OrdersModel &plain, const OrdersModel &cut)
{
    if (plain.rowCount() != cut.rowCount())
        fail("row count");
    for (int row = 0; row < plain.rowCount(); ++row) {
        if (plain.rowAt(row) != cut.rowAt(row))
            fail("row");
    }
    if (plain.fbo() != cut.fbo() || plain.printQueue() != cut.printQueue())
        fail("side lists");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const QString search = input.takeLine();
    const QByteArray rest = input.restBytes();
    const qsizetype split = rest.indexOf('\0');
    const QByteArray bodies[] = {split < 0 ? rest : rest.left(split), split < 0 ? QByteArray() : rest.mid(split + 1)};

    OrdersModel plain, cut;
    QSet<size_t> known;
    for (const QByteArray &body : bodies) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(body, &error);
        SnapshotItems items;
        bool isJson = false, isObject = false;
        const QJsonObject root = SnapshotItems::read(body, known, &items, &isJson, &isObject);
        if (isJson != (error.error == QJsonParseError::NoError) || isObject != document.isObject())
            fail("what the body is");
        if (items.withItems(root) != document.object())
            fail("root");
        if (items.isCut())
            known = items.digests();

        plain.applySnapshot(document.object());
        cut.applySnapshot(root, items);
        sameRows(plain, cut);
    }

    readEveryRow(&cut);
    readEveryProperty(&cut);
    cut.rowAt(-1);
    cut.rowAt(cut.rowCount());
    cut.countBySourceGroup(search, search);
    cut.stockCountForWarehouse(search, QString());
    cut.applySnapshot(jsonObjectFromBytes(bodies[0]).toVariantMap()); // the scene's way in
    cut.applySnapshot(QJsonObject());
    return 0;
}
