#pragma once

#include "DevServer.h"

// Production events of the stand-in platform: "order_scan" judged against the
// tenant's orders, the order/reprint/print-queue/FBO edits (each bumps the
// revision and answers with the fresh orders), "archive_event" kept in the
// archive with recomputed "archive_stats", and the spreadsheet confirm
// stand-in "/gs/confirm" (answers {"wrote": 1}).
class ProductionRoutes : public DevRouteSet
{
public:
    void registerRoutes(DevServer &server) override;

    // Spreadsheet stand-in behaviour by barcode: containing "wrote0" answers
    // {"wrote": 0}; "fail500" a 500 with a text body; "empty200" an empty 200.
    static constexpr const char kGsConfirmPath[] = "/gs/confirm";

    // Statistics of the archive events as the client reads them.
    static QJsonObject archiveStats(const QJsonArray &events);
};
