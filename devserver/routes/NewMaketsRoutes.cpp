#include "routes/NewMaketsRoutes.h"

#include "DemoData.h"
#include "DemoLayout.h"
#include "DevStore.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

QString now()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

DevResponse diskNotFound()
{
    return DevResponse::json({{QStringLiteral("error"), QStringLiteral("DiskNotFoundError")},
                              {QStringLiteral("message"), QStringLiteral("Не удалось найти запрошенный ресурс.")}},
                             404);
}

const char kDemoPublicKey[] = "https://disk.yandex.ru/d/vorn-demo-pions";

} // namespace

NewMaketsRoutes::Resource NewMaketsRoutes::resourceFromJson(const QJsonObject &object)
{
    Resource resource;
    resource.type = jsonText(object, {"type"}).isEmpty() ? QStringLiteral("file") : jsonText(object, {"type"});
    resource.filePath = jsonText(object, {"file", "file_path"});
    resource.name = jsonText(object, {"name"});
    if (resource.name.isEmpty())
        resource.name = QFileInfo(resource.filePath).fileName();
    if (object.contains(QLatin1String("cut_after")))
        resource.cutAfter = qint64(object.value(QLatin1String("cut_after")).toDouble());
    if (object.contains(QLatin1String("chunk_bytes")))
        resource.chunkBytes = std::max<qint64>(1, qint64(object.value(QLatin1String("chunk_bytes")).toDouble()));
    if (object.contains(QLatin1String("chunk_delay_ms")))
        resource.chunkDelayMs = object.value(QLatin1String("chunk_delay_ms")).toInt();
    const QJsonObject items = object.value(QLatin1String("items")).toObject();
    for (auto it = items.constBegin(); it != items.constEnd(); ++it)
        resource.items.insert(it.key(), resourceFromJson(it.value().toObject()));
    return resource;
}

const NewMaketsRoutes::Resource *NewMaketsRoutes::findResource(const QString &publicKey, const QString &path) const
{
    const auto it = m_resources.constFind(publicKey.trimmed());
    if (it == m_resources.constEnd())
        return nullptr;
    if (path.trimmed().isEmpty() || path.trimmed() == QLatin1String("/"))
        return &it.value();
    const auto item = it->items.constFind(path.trimmed());
    return item == it->items.constEnd() ? nullptr : &item.value();
}

void NewMaketsRoutes::seedDemo(DevServer &server)
{
    if (m_demoSeeded || !server.store().tenantById(QString::fromLatin1(Demo::kTenantId)))
        return;
    m_demoSeeded = true;
    m_demoDir = std::make_unique<QTemporaryDir>();
    const QString name = QStringLiteral("ЛОФ_01 Пионы 5х2.7 макет.tif");
    const QString path = m_demoDir->filePath(QStringLiteral("demo-layout.tif"));
    if (!m_demoDir->isValid() || !writeDemoLayout(path))
        return;
    Resource resource;
    resource.name = name;
    resource.filePath = path;
    resource.chunkBytes = 32 * 1024;
    resource.chunkDelayMs = 120;
    m_resources.insert(QString::fromLatin1(kDemoPublicKey), resource);
    Task task;
    task.tenantId = QString::fromLatin1(Demo::kTenantId);
    task.task = {{QStringLiteral("task_uid"), QStringLiteral("demo-maket-1")},
                 {QStringLiteral("design_key"), QStringLiteral("ЛОФ_01 Пионы 5х2.7")},
                 {QStringLiteral("title"), QStringLiteral("Обои «Пионы», 2 полосы")},
                 {QStringLiteral("process_type"), QStringLiteral("download_slice_ink")},
                 {QStringLiteral("source_url"), QString::fromLatin1(kDemoPublicKey)}};
    m_tasks.append(task);
}

NewMaketsRoutes::Task *NewMaketsRoutes::taskFor(DevRequest &request)
{
    const QString uid = jsonText(request.json, {"task_uid", "taskUid"});
    for (Task &task : m_tasks) {
        if (task.tenantId == request.tenant->id && jsonText(task.task, {"task_uid"}) == uid)
            return &task;
    }
    return nullptr;
}

DevResponse NewMaketsRoutes::pull(DevRequest &request)
{
    for (Task &task : m_tasks) {
        if (task.tenantId == request.tenant->id && task.state == QLatin1String("queued")) {
            task.state = QStringLiteral("taken");
            return DevResponse::ok({{QStringLiteral("task"), task.task}});
        }
    }
    return DevResponse::ok();
}

DevResponse NewMaketsRoutes::status(DevRequest &request)
{
    Task *task = taskFor(request);
    if (!task)
        return DevResponse::failure(404, QStringLiteral("task_not_found"), QStringLiteral("Нет такой задачи"));
    QJsonObject entry;
    for (const char *key : {"status", "progress", "message", "patch"})
        entry.insert(QLatin1String(key), request.json.value(QLatin1String(key)));
    entry.insert(QStringLiteral("received_at"), now());
    task->statuses.append(entry);
    return DevResponse::ok();
}

DevResponse NewMaketsRoutes::finish(DevRequest &request)
{
    Task *task = taskFor(request);
    if (!task)
        return DevResponse::failure(404, QStringLiteral("task_not_found"), QStringLiteral("Нет такой задачи"));
    task->state = QStringLiteral("finished");
    task->result = request.json.value(QLatin1String("result")).toObject();
    task->result.insert(QStringLiteral("received_at"), now());
    return DevResponse::ok();
}

DevResponse NewMaketsRoutes::error(DevRequest &request)
{
    Task *task = taskFor(request);
    if (!task)
        return DevResponse::failure(404, QStringLiteral("task_not_found"), QStringLiteral("Нет такой задачи"));
    task->state = QStringLiteral("failed");
    task->error = QJsonObject();
    for (const char *key : {"error_code", "error_text", "progress", "patch"})
        task->error.insert(QLatin1String(key), request.json.value(QLatin1String(key)));
    task->error.insert(QStringLiteral("received_at"), now());
    return DevResponse::ok();
}

DevResponse NewMaketsRoutes::metadata(DevRequest &request) const
{
    const QString path = request.queryValue(QStringLiteral("path"));
    const Resource *resource = findResource(request.queryValue(QStringLiteral("public_key")), path);
    if (!resource)
        return diskNotFound();
    QJsonObject reply{{QStringLiteral("type"), resource->type}, {QStringLiteral("name"), resource->name},
                      {QStringLiteral("path"), path.isEmpty() ? QStringLiteral("/") : path}};
    if (resource->type == QLatin1String("file"))
        reply.insert(QStringLiteral("size"), double(QFileInfo(resource->filePath).size()));
    return DevResponse::json(reply);
}

DevResponse NewMaketsRoutes::downloadLink(DevRequest &request) const
{
    const QString key = request.queryValue(QStringLiteral("public_key"));
    const QString path = request.queryValue(QStringLiteral("path"));
    const Resource *resource = findResource(key, path);
    if (!resource)
        return diskNotFound();
    QUrl href(QStringLiteral("http://%1/__disk/file").arg(QString::fromLatin1(request.header("Host"))));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("public_key"), key);
    if (!path.isEmpty())
        query.addQueryItem(QStringLiteral("path"), path);
    href.setQuery(query);
    return DevResponse::json({{QStringLiteral("href"), href.toString(QUrl::FullyEncoded)},
                              {QStringLiteral("method"), QStringLiteral("GET")},
                              {QStringLiteral("templated"), false}});
}

DevResponse NewMaketsRoutes::file(DevRequest &request) const
{
    const Resource *resource = findResource(request.queryValue(QStringLiteral("public_key")),
                                            request.queryValue(QStringLiteral("path")));
    if (!resource || resource->type != QLatin1String("file"))
        return diskNotFound();
    DevResponse response;
    response.contentType = "application/octet-stream";
    response.stream = std::make_shared<DevFileStream>();
    response.stream->filePath = resource->filePath;
    response.stream->chunkBytes = resource->chunkBytes;
    response.stream->chunkDelayMs = resource->chunkDelayMs;
    response.stream->cutAfter = resource->cutAfter;
    return response;
}

DevResponse NewMaketsRoutes::queueTask(DevRequest &request)
{
    if (!request.hasJson)
        return DevResponse::failure(400, QStringLiteral("bad_json"));
    Task task;
    task.tenantId = jsonText(request.json, {"tenant_id"});
    if (task.tenantId.isEmpty())
        task.tenantId = QString::fromLatin1(Demo::kTenantId);
    task.task = request.json;
    task.task.remove(QStringLiteral("tenant_id"));
    task.task.remove(QStringLiteral("disk"));
    if (!task.task.contains(QLatin1String("task_uid")) && !task.task.contains(QLatin1String("taskUid")))
        task.task.insert(QStringLiteral("task_uid"), QStringLiteral("maket-%1").arg(m_nextTask++));
    // A task may bring its file along: published under its source link.
    const QJsonObject disk = request.json.value(QLatin1String("disk")).toObject();
    const QString key = jsonText(task.task, {"source_url", "sourceUrl", "url", "link"});
    if (!disk.isEmpty() && !key.isEmpty())
        m_resources.insert(key, resourceFromJson(disk));
    m_tasks.append(task);
    return DevResponse::ok({{QStringLiteral("task"), task.task}});
}

DevResponse NewMaketsRoutes::publish(DevRequest &request)
{
    if (!request.hasJson)
        return DevResponse::failure(400, QStringLiteral("bad_json"));
    const QString key = jsonText(request.json, {"public_key"});
    if (key.isEmpty())
        return DevResponse::failure(400, QStringLiteral("bad_request"), QStringLiteral("Нужен public_key"));
    m_resources.insert(key, resourceFromJson(request.json));
    return DevResponse::ok({{QStringLiteral("public_key"), key}});
}

DevResponse NewMaketsRoutes::show(DevRequest &request) const
{
    const QString tenantId = request.queryValue(QStringLiteral("tenant_id")).trimmed();
    QJsonArray tasks;
    for (const Task &task : m_tasks) {
        if (!tenantId.isEmpty() && task.tenantId != tenantId)
            continue;
        tasks.append(QJsonObject{{QStringLiteral("tenant_id"), task.tenantId},
                                 {QStringLiteral("task"), task.task},
                                 {QStringLiteral("state"), task.state},
                                 {QStringLiteral("statuses"), task.statuses},
                                 {QStringLiteral("result"), task.result},
                                 {QStringLiteral("error"), task.error}});
    }
    return DevResponse::ok({{QStringLiteral("tasks"), tasks}});
}

void NewMaketsRoutes::registerRoutes(DevServer &server)
{
    DevServer *srv = &server;
    const auto add = [&server](const char *method, const char *path, DevAuth auth, DevHandler handler) {
        server.addRoute(QString::fromLatin1(method), QString::fromLatin1(path), auth, std::move(handler));
    };
    add("POST", "/api/newmakets/pull", DevAuth::Tenant, [this](DevRequest &r) { return pull(r); });
    add("POST", "/api/newmakets/status", DevAuth::Tenant, [this](DevRequest &r) { return status(r); });
    add("POST", "/api/newmakets/finish", DevAuth::Tenant, [this](DevRequest &r) { return finish(r); });
    add("POST", "/api/newmakets/error", DevAuth::Tenant, [this](DevRequest &r) { return error(r); });
    add("GET", "/v1/disk/public/resources", DevAuth::None, [this](DevRequest &r) { return metadata(r); });
    add("GET", "/v1/disk/public/resources/download", DevAuth::None, [this](DevRequest &r) { return downloadLink(r); });
    add("GET", "/__disk/file", DevAuth::None, [this](DevRequest &r) { return file(r); });
    add("POST", "/__dev/newmakets/task", DevAuth::None, [this](DevRequest &r) { return queueTask(r); });
    add("POST", "/__dev/disk/resource", DevAuth::None, [this](DevRequest &r) { return publish(r); });
    add("GET", "/__dev/newmakets", DevAuth::None, [this](DevRequest &r) { return show(r); });
    add("POST", "/__dev/newmakets/demo", DevAuth::None, [this, srv](DevRequest &) {
        seedDemo(*srv);
        return DevResponse::ok({{QStringLiteral("tasks"), int(m_tasks.size())}});
    });
}
