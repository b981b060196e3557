#pragma once

#include "DevServer.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QTemporaryDir>

#include <memory>

// New-layout tasks ("/api/newmakets/pull", ".../status", ".../finish", ".../error") and a
// stand-in for the cloud disk's public API ("/v1/disk/public/resources", ".../download")
// whose files are sent in chunks from "/__disk/file".
// "POST /__dev/newmakets/task" queues a task, "POST /__dev/disk/resource" publishes a
// local file (or a folder of them) under a public key, "GET /__dev/newmakets" shows every
// task with its status reports, finish result or error; "POST /__dev/newmakets/demo" queues
// the demo tenant's task with a generated layout (the demo does it at start).
class NewMaketsRoutes : public DevRouteSet
{
public:
    void registerRoutes(DevServer &server) override;

private:
    struct Resource
    {
        QString type = QStringLiteral("file");   // "file" or "dir"
        QString name;
        QString filePath;
        QHash<QString, Resource> items;           // inside a folder, by path
        qint64 cutAfter = -1;
        qint64 chunkBytes = 64 * 1024;
        int chunkDelayMs = 20;
    };
    struct Task
    {
        QString tenantId;
        QJsonObject task;
        QString state = QStringLiteral("queued");   // taken, finished, failed
        QJsonArray statuses;
        QJsonObject result;
        QJsonObject error;
    };

    static Resource resourceFromJson(const QJsonObject &object);
    const Resource *findResource(const QString &publicKey, const QString &path) const;
    void seedDemo(DevServer &server);
    Task *taskFor(DevRequest &request);

    DevResponse pull(DevRequest &request);
    DevResponse status(DevRequest &request);
    DevResponse finish(DevRequest &request);
    DevResponse error(DevRequest &request);
    DevResponse metadata(DevRequest &request) const;
    DevResponse downloadLink(DevRequest &request) const;
    DevResponse file(DevRequest &request) const;
    DevResponse queueTask(DevRequest &request);
    DevResponse publish(DevRequest &request);
    DevResponse show(DevRequest &request) const;

    QList<Task> m_tasks;
    QHash<QString, Resource> m_resources;
    int m_nextTask = 1;
    bool m_demoSeeded = false;
    std::unique_ptr<QTemporaryDir> m_demoDir;
};
