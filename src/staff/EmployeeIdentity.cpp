#include "staff/EmployeeIdentity.h"

#include "common/CardUid.h"
#include "common/JsonRead.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

// Badges are short; anything far longer is not one and is not worth parsing.
constexpr qsizetype kMaxScanLength = 64 * 1024;

bool parseObject(const QString &text, QVariantMap *out)
{
    if (!text.startsWith(u'{'))
        return false;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    *out = document.object().toVariantMap();
    return true;
}

} // namespace

QString EmployeeIdentity::payloadId(const QVariantMap &map)
{
    return variantFirstText(map, {"employee_id", "emp_id", "id"});
}

QString EmployeeIdentity::normalizeRfidUid(const QString &text)
{
    return normalizeCardUid(text);
}

QString EmployeeIdentity::extractEmployeeId(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > kMaxScanLength)
        return {};

    QVariantMap object;
    if (parseObject(t, &object)) {
        const QString kind = variantFirstText(object, {"kind", "type"}).toLower();
        if (kind == u"emp" || kind == u"employee" || kind == u"сотрудник") {
            const QString id = payloadId(object);
            if (!id.isEmpty())
                return id;
        }
    }

    static const QRegularExpression tagged(
        QStringLiteral("(?:^|\\b)(?:emp|employee|сотрудник)\\s*[:|#]\\s*([A-Za-z0-9_\\-]+)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    QRegularExpressionMatch match = tagged.match(t);
    if (match.hasMatch())
        return match.captured(1).trimmed();

    // The quote before the value is required: bare "id=7" in other codes must not match.
    static const QRegularExpression keyed(
        QStringLiteral("(?:employee_id|emp_id|id)\\s*['\"]?\\s*[:=]\\s*['\"]([A-Za-z0-9_\\-]+)['\"]?"),
        QRegularExpression::CaseInsensitiveOption);
    match = keyed.match(t);
    if (match.hasMatch())
        return match.captured(1).trimmed();
    return {};
}

QVariantMap EmployeeIdentity::parseEmployeePayload(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > kMaxScanLength)
        return {};
    QVariantMap map;
    if (!parseObject(t, &map)) {
        const QString id = extractEmployeeId(t);
        if (id.isEmpty())
            return {};
        map = {{QStringLiteral("kind"), QStringLiteral("emp")},
               {QStringLiteral("employee_id"), id},
               {QStringLiteral("id"), id}};
    }
    const QString id = payloadId(map);
    if (!id.isEmpty()) {
        map.insert(QStringLiteral("employee_id"), id);
        map.insert(QStringLiteral("emp_id"), id);
        map.insert(QStringLiteral("id"), id);
    }
    return map;
}
