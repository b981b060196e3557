// Helper of the snapshot crash test: stores snapshots with rising revisions in a
// loop, in the data folder that XDG_DATA_HOME points at, and prints each revision
// after storeSnapshot() has returned. The test kills it with SIGKILL at random moments.
#include "KillLoop.h"

#include "serverlink/SnapshotSyncService.h"
#include "settings/AppSettings.h"

#include <QJsonArray>
#include <QJsonObject>

#include <memory>

int main(int argc, char *argv[])
{
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<SnapshotSyncService> sync;
    // About a megabyte per snapshot, so a kill often lands inside a write.
    QJsonArray orders;
    for (int i = 0; i < 4000; ++i)
        orders.append(QJsonObject{{"id", i}, {"title", QStringLiteral("Заказ номер %1 для проверки кеша").arg(i)},
                                  {"status", "new"}, {"qty", i % 7}});
    return KillLoop::runWriter(argc, argv, [&](qint64 revision) {
        if (!sync) {
            settings = std::make_unique<AppSettings>();
            sync = std::make_unique<SnapshotSyncService>(settings.get(), nullptr);
        }
        const QJsonObject root{{"changed", true},
                               {"revision", QString::number(revision)},
                               {"snapshot", QJsonObject{{"revision", QString::number(revision)}, {"orders", orders}}}};
        return sync->storeSnapshot(root, QString::number(revision));
    });
}
