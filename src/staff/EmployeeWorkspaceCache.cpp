#include "staff/EmployeeWorkspaceCache.h"

#include "common/AtomicFile.h"
#include "common/IsoTime.h"
#include "common/JsonRead.h"
#include "staff/StaffParsing.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

EmployeeWorkspaceCache::Content EmployeeWorkspaceCache::read(const QString &path)
{
    if (path.isEmpty())
        return {};
    const QJsonObject object = readJsonObjectFile(path);
    Content content;
    for (const QVariant &item : StaffParsing::jsonToList(object.value(QStringLiteral("employees")))) {
        if (item.typeId() == QMetaType::QVariantMap)
            content.employees.append(item);
    }
    content.schedule = StaffParsing::jsonToMap(object.value(QStringLiteral("schedule")));
    return content;
}

bool EmployeeWorkspaceCache::write(const QString &path, const QVariantList &employees,
                                   const QVariantMap &schedule)
{
    if (path.isEmpty())
        return false;
    const QJsonObject object{
        {QStringLiteral("employees"), QJsonArray::fromVariantList(employees)},
        {QStringLiteral("schedule"), QJsonObject::fromVariantMap(schedule)},
        {QStringLiteral("saved_at"), isoLocalNowMs()},
    };
    return writeFileAtomically(path, QJsonDocument(object).toJson(QJsonDocument::Indented));
}
