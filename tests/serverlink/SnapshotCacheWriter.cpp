// Helper of the snapshot crash test: stores snapshots with rising revisions in a
// loop, in the data folder that XDG_DATA_HOME points at, and prints each revision
// after storeSnapshot() has returned. The test kills it with SIGKILL at random moments.
#include "serverlink/SnapshotSyncService.h"
#include "settings/AppSettings.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>

#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("VornClient"));
    QCoreApplication::setApplicationName(QStringLiteral("VornClient"));
    if (argc < 2)
        return 2;
    const qint64 first = QByteArray(argv[1]).toLongLong();
    AppSettings settings;
    SnapshotSyncService sync(&settings, nullptr);

    // About a megabyte per snapshot, so a kill often lands inside a write.
    QJsonArray orders;
    for (int i = 0; i < 4000; ++i)
        orders.append(QJsonObject{{"id", i}, {"title", QStringLiteral("Заказ номер %1 для проверки кеша").arg(i)},
                                  {"status", "new"}, {"qty", i % 7}});
    for (qint64 revision = first;; ++revision) {
        const QJsonObject root{{"changed", true},
                               {"revision", QString::number(revision)},
                               {"snapshot", QJsonObject{{"revision", QString::number(revision)}, {"orders", orders}}}};
        if (!sync.storeSnapshot(root, QString::number(revision)))
            return 1;
        const QByteArray line = QByteArray::number(revision) + '\n';
        if (::write(STDOUT_FILENO, line.constData(), size_t(line.size())) < 0)
            return 1;
    }
}
