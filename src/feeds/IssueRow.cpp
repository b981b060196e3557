#include "feeds/IssueRow.h"

#include "common/IsoTime.h"
#include "common/JsonRead.h"

#include <QDateTime>
#include <QJsonArray>
#include <QStringList>
#include <QVariantList>

namespace {

const QString kSeparator = QStringLiteral(" • ");

QDateTime recordTime(const QJsonObject &record)
{
    // Updated first: a record that moved recently belongs at the top.
    for (const char *key : {"updated_at", "updatedAt", "ts", "created_at", "createdAt", "created"}) {
        const QString text = jsonFirstText(record, {key});
        if (text.isEmpty())
            continue;
        const QDateTime time = parseServerTime(text);
        if (time.isValid())
            return time;
    }
    return {};
}

QString linkOf(const QJsonValue &item)
{
    if (item.isString())
        return item.toString().trimmed();
    return jsonFirstText(item.toObject(), {"url", "public_url", "photo_url", "image_url", "attachment_url",
                                           "thumb_url", "path", "file"});
}

QJsonArray firstArray(const QJsonObject &record, JsonKeys keys)
{
    for (const char *key : keys) {
        const QJsonValue value = record.value(QLatin1String(key));
        if (value.isArray() && !value.toArray().isEmpty())
            return value.toArray();
    }
    return {};
}

QVariantList mediaLinks(const QJsonObject &record)
{
    QVariantList links;
    for (const QJsonValue &item : firstArray(record, {"photos", "attachments", "media", "images", "files"})) {
        const QString link = linkOf(item);
        if (!link.isEmpty())
            links << link;
    }
    return links;
}

int attachmentsCount(const QJsonObject &record)
{
    const QJsonValue given = jsonFirstValue(record, {"photos_count", "attachments_count"});
    if (given.isDouble() || given.isString()) {
        const double count = jsonToNumber(given, -1.0);
        if (count >= 0)
            return int(count);
    }
    return int(firstArray(record, {"attachments", "photos"}).size());
}

} // namespace

QString IssueRow::kindName(Kind kind)
{
    return kind == Kind::Bug ? QStringLiteral("bug") : QStringLiteral("defect");
}

QVariantMap IssueRow::build(const QJsonObject &record, Kind kind, int rowNumber)
{
    const bool bug = kind == Kind::Bug;
    const QString id = jsonFirstText(record, {"id"});
    QString key = jsonFirstText(record, {"key"});
    if (key.isEmpty())
        key = jsonFirstText(record, {bug ? "bug_key" : "defect_key"});
    if (key.isEmpty())
        key = id.isEmpty() ? kindName(kind) + u'-' + QString::number(rowNumber) : id;

    const QString docNo = jsonFirstText(record, {"doc_no", "doc", "document", "document_no", "id"});
    const QString number = docNo.isEmpty() ? QString::number(rowNumber) : docNo;
    const QString givenTitle = jsonFirstText(record, {"order_ref", "order", "title", "product", "reason", "name",
                                                      "subject", "text", "message"});
    const QString title = givenTitle.isEmpty()
        ? QStringLiteral("%1 #%2").arg(bug ? QStringLiteral("Баг") : QStringLiteral("Брак"), number)
        : givenTitle;
    QString docLabel = docNo;
    if (!bug && !docNo.isEmpty())
        docLabel = givenTitle.isEmpty() ? QStringLiteral("№%1").arg(docNo)
                                        : QStringLiteral("№%1 • %2").arg(docNo, givenTitle);

    QString state = jsonFirstText(record, {"status_label", "status", "state", "stage"});
    if (state.isEmpty())
        state = bug ? QStringLiteral("Новый") : QStringLiteral("на рассмотрении");

    const QDateTime time = recordTime(record);
    const QString orderRef = jsonFirstText(record, {"order_ref", "order"});
    const QString reason = jsonFirstText(record, {"reason"});
    const QString severity = jsonFirstText(record, {"severity"});
    const QString sourceArea = jsonFirstText(record, {"source_area"});
    const QString reporter = jsonFirstText(record, {"reporter", "author"});
    const QString creator = jsonFirstText(record, {"creator", "created_by"});
    const QString culprit = jsonFirstText(record, {"culprit"});

    QStringList details;
    const auto detail = [&details](const char *label, const QString &value) {
        if (!value.isEmpty())
            details << QString::fromUtf8(label).arg(value);
    };
    detail("Заказ: %1", orderRef);
    detail("Причина: %1", reason);
    detail("Приоритет: %1", severity);
    detail("Зона: %1", sourceArea);
    detail("Автор: %1", reporter);
    detail("Создал: %1", creator);
    detail("Виновник: %1", culprit);

    const QString link = jsonFirstText(record, {"browser_url", "page_url", "open_url", "public_url", "staff_url",
                                                "ticket_url", "source_url", "url", "link", "href"});
    const QVariantList media = mediaLinks(record);

    return QVariantMap{
        {QStringLiteral("kind"), kindName(kind)},
        {QStringLiteral("key"), key},
        {QStringLiteral("id"), id},
        {QStringLiteral("docNo"), docNo},
        {QStringLiteral("docLabel"), docLabel},
        {QStringLiteral("title"), title},
        {QStringLiteral("subtitle"),
         jsonFirstText(record, {"description", "desc", "comment", "comment_text", "commentary", "user_comment",
                                "client_comment", "note", "notes", "text", "message", "details", "reason"})},
        {QStringLiteral("state"), state},
        {QStringLiteral("when"), time.isValid() ? time.toLocalTime().toString(QStringLiteral("dd.MM HH:mm"))
                                                : QStringLiteral("без даты")},
        {QStringLiteral("assignee"), jsonFirstText(record, {"responsible"})},
        {QStringLiteral("orderRef"), orderRef},
        {QStringLiteral("severity"), severity},
        {QStringLiteral("sourceArea"), sourceArea},
        {QStringLiteral("reporter"), reporter},
        {QStringLiteral("creator"), creator},
        {QStringLiteral("culprit"), culprit},
        {QStringLiteral("reason"), reason},
        {QStringLiteral("attachmentsCount"), attachmentsCount(record)},
        {QStringLiteral("photos"), media},
        {QStringLiteral("attachments"), media},
        {QStringLiteral("comment"), jsonFirstText(record, {"comment"})},
        {QStringLiteral("description"), jsonFirstText(record, {"description"})},
        {QStringLiteral("status"), jsonFirstText(record, {"status"})},
        {QStringLiteral("statusCode"), jsonFirstText(record, {"status_code", "statusCode"})},
        {QStringLiteral("browserUrl"), link},
        {QStringLiteral("pageUrl"), link},
        {QStringLiteral("openUrl"), link},
        {QStringLiteral("browser_url"), link},
        {QStringLiteral("page_url"), link},
        {QStringLiteral("sortTs"), time.isValid() ? time.toMSecsSinceEpoch() : qint64(0)},
        {QStringLiteral("detailsLine"), details.join(kSeparator)},
        // Kept as JSON: converting every record deeply would double the cost of a row.
        {QStringLiteral("raw"), QVariant(record)},
    };
}
