#include "consumables/OutboxBuffer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>

namespace {

QString pragmaText(const QString &path, const QString &pragma)
{
    QString result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("probe"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("PRAGMA %1").arg(pragma)) && query.next())
                result = query.value(0).toString();
            query.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("probe"));
    return result;
}

} // namespace

class OutboxBufferTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void queueOrderLimitAndClear()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("data/client_buffer.sqlite"));
        OutboxBuffer outbox(path);
        QVERIFY(QFileInfo::exists(path)); // folder and file made, schema in place
        QCOMPARE(outbox.count(), 0);
        QVERIFY(outbox.fetch(100).isEmpty());
        QVERIFY(outbox.clear()); // clearing an empty queue succeeds
        QCOMPARE(pragmaText(path, QStringLiteral("journal_mode")), QStringLiteral("wal"));

        for (int i = 0; i < 250; ++i)
            QVERIFY(outbox.enqueue(QStringLiteral("  wall_writeoff "), {{"n", i}},
                                   i == 3 ? QStringLiteral("сервер недоступен") : QString()));
        QCOMPARE(outbox.count(), 250);
        QList<OutboxRow> rows = outbox.fetch(100);
        QCOMPARE(rows.size(), 100);
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(rows.at(i).payload.value("n").toInt(), i);
            if (i > 0)
                QVERIFY(rows.at(i).id > rows.at(i - 1).id);
        }
        QCOMPARE(rows.first().eventType, QStringLiteral("wall_writeoff"));
        QCOMPARE(rows.at(3).lastError, QStringLiteral("сервер недоступен"));
        QVERIFY(rows.at(4).lastError.isEmpty());
        QVERIFY(QDateTime::fromString(rows.first().createdAt, Qt::ISODateWithMs).isValid());

        // Marked errors do not change the order; removed rows are gone.
        QVERIFY(outbox.markError(rows.at(1).id, QStringLiteral("HTTP 500")));
        QVERIFY(outbox.remove(rows.at(0).id));
        rows = outbox.fetch(3);
        QCOMPARE(rows.at(0).payload.value("n").toInt(), 1);
        QCOMPARE(rows.at(0).lastError, QStringLiteral("HTTP 500"));
        QCOMPARE(rows.at(2).payload.value("n").toInt(), 3);
        QCOMPARE(outbox.count(), 249);

        // A second owner on the same file: own connection, same rows, typed views.
        OutboxBuffer archive(path);
        QVERIFY(archive.connectionName() != outbox.connectionName());
        QVERIFY(archive.connectionName().startsWith(QStringLiteral("outbox_")));
        QVERIFY(archive.enqueue(QStringLiteral("archive_event"), {{"maket", "Лев"}}));
        QCOMPARE(outbox.count(), 250);
        QCOMPARE(archive.countOfType(QStringLiteral("archive_event")), 1);
        QCOMPARE(archive.fetchOfType(QStringLiteral("archive_event"), 10).first().payload.value("maket").toString(),
                 QStringLiteral("Лев"));
        QVERIFY(archive.clearOfType(QStringLiteral("archive_event")));
        QCOMPARE(outbox.count(), 249);

        // An unparsable payload is read back as an empty object.
        QVERIFY(outbox.clear());
        QCOMPARE(outbox.count(), 0);
        {
            QSqlQuery query(QSqlDatabase::database(outbox.connectionName()));
            QVERIFY(query.exec(QStringLiteral("INSERT INTO outbox_events (event_type, payload_json, created_at) "
                                              "VALUES ('ink_receive', '{broken', 'x')")));
        }
        rows = outbox.fetch(10);
        QCOMPARE(rows.size(), 1);
        QVERIFY(rows.first().payload.isEmpty());

        // A path that cannot be a database: false, 0 and empty lists, no crash.
        OutboxBuffer broken(dir.path()); // a directory
        QVERIFY(!broken.enqueue(QStringLiteral("x"), {}));
        QCOMPARE(broken.count(), 0);
        QVERIFY(broken.fetch(10).isEmpty());
        QVERIFY(!broken.clear());
    }

    void acknowledgedRowsSurviveSigkill()
    {
        const QString writer = QCoreApplication::applicationDirPath() + QStringLiteral("/outbox_crash_writer");
        QVERIFY2(QFileInfo::exists(writer), qPrintable(writer));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("client_buffer.sqlite"));
        QHash<int, QList<int>> acknowledged; // run -> numbers printed after enqueue returned true
        QRandomGenerator random(20241206u);
        int totalAcknowledged = 0;

        for (int run = 0; run < 100; ++run) {
            QProcess child;
            child.setProcessChannelMode(QProcess::SeparateChannels);
            child.start(writer, {path, QString::number(run)});
            QVERIFY(child.waitForStarted(5000));
            // Mostly kill while rows are being written; sometimes during start-up.
            if (random.bounded(5) != 0)
                child.waitForReadyRead(5000);
            QThread::usleep(random.bounded(0, 30000));
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(5000));
            const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
            // Only whole lines count (the last element follows the final newline).
            for (int i = 0; i + 1 < lines.size(); ++i) {
                acknowledged[run].append(lines.at(i).toInt());
                ++totalAcknowledged;
            }
        }
        QVERIFY2(totalAcknowledged > 100, "the writer hardly ever got to write");

        OutboxBuffer outbox(path);
        const QList<OutboxRow> rows = outbox.fetch(10000000);
        QSet<qint64> stored;
        qint64 previous = -1;
        for (const OutboxRow &row : rows) {
            const qint64 key = qint64(row.payload.value("run").toInt()) * 100000000 + row.payload.value("n").toInt();
            QVERIFY2(key > previous, "rows out of order");
            previous = key;
            stored.insert(key);
        }
        for (auto it = acknowledged.constBegin(); it != acknowledged.constEnd(); ++it) {
            for (int n : it.value())
                QVERIFY2(stored.contains(qint64(it.key()) * 100000000 + n),
                         qPrintable(QStringLiteral("lost run %1 row %2").arg(it.key()).arg(n)));
        }
        QCOMPARE(pragmaText(path, QStringLiteral("integrity_check")), QStringLiteral("ok"));
        qInfo("%d acknowledged rows, %lld stored", totalAcknowledged, qint64(rows.size()));
    }
};

QTEST_GUILESS_MAIN(OutboxBufferTest)
#include "OutboxBufferTest.moc"
