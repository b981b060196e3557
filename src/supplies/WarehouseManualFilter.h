#pragma once

#include "common/SearchFilterModel.h"

// The warehouse files an operator may print by hand: only entries with
// manualPrintAllowed, narrowed by the page's search text. Everything else waits for a
// scan the server confirms, so it never shows up here, whatever the search.
// The source is one WarehouseFileModel; the page switches it with the marketplace tab.
class WarehouseManualFilter : public SearchFilterModel
{
    Q_OBJECT

public:
    explicit WarehouseManualFilter(QObject *parent = nullptr);

    // The source row behind a row of this list, -1 when there is none.
    Q_INVOKABLE int sourceRow(int row) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
};
