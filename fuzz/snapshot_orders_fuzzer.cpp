#include "FuzzSupport.h"

#include "common/JsonRead.h"

#include "production/OrdersModel.h"

// A snapshot body as the server sends it, then a second one over it: the orders
// table takes whatever came and the scene can read every row.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const QString search = input.takeLine();
    const QJsonObject snapshot = jsonObjectFromBytes(input.restBytes());

    OrdersModel model;
    model.applySnapshot(snapshot);
    readEveryRow(&model);
    readEveryProperty(&model);
    for (int row = 0; row < model.rowCount(); ++row)
        model.rowAt(row);
    model.rowAt(-1);
    model.rowAt(model.rowCount());
    model.countBySourceGroup(search, search);
    model.stockCountForWarehouse(search, QString());
    model.applySnapshot(snapshot.toVariantMap()); // the scene's way in
    model.applySnapshot(QJsonObject());
    return 0;
}
