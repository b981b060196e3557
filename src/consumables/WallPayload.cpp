#include "consumables/WallPayload.h"

#include "common/ConsumableKey.h"
#include "common/JsonRead.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QUrl>

namespace WallPayload {

namespace {

// Every key copied from the QR into the event, in the order of the groups.
const char *const kCopiedKeys[] = {
    "kind",
    "tab_id", "tabId",
    "type_key", "type_id", "server_type", "serverType", "title_slug",
    "item_key", "item_id", "item_slug", "item_code", "item_en",
    "item_text", "display_name", "name", "item_name",
    "title_text", "display_title", "title",
    "amount", "measure",
    "title_key", "type_en",
};

QString percentDecoded(const QString &text)
{
    return QUrl::fromPercentEncoding(text.toUtf8());
}

// The part from the first "{" to the last "}", or empty.
QString braced(const QString &text)
{
    const qsizetype open = text.indexOf(u'{');
    const qsizetype close = text.lastIndexOf(u'}');
    if (open < 0 || close <= open)
        return {};
    return text.mid(open, close - open + 1);
}

} // namespace

QString extractJson(const QString &raw)
{
    QString text = raw.trimmed();
    const QString prefix = QLatin1String(kPrefix);
    if (text.startsWith(prefix, Qt::CaseInsensitive))
        text = text.mid(prefix.size()).trimmed();
    const QString direct = braced(text);
    if (!direct.isEmpty())
        return direct;
    if (text.contains(u'%')) {
        const QString decoded = braced(percentDecoded(text));
        if (!decoded.isEmpty())
            return decoded;
    }
    return text;
}

QJsonObject readObject(const QString &raw)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(extractJson(raw).toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return {};
    const QJsonObject source = doc.object();
    QJsonObject out;
    for (const char *key : kCopiedKeys) {
        const QLatin1String name(key);
        if (!source.contains(name))
            continue;
        QJsonValue value = source.value(name);
        if (value.isString() && value.toString().contains(u'%'))
            value = percentDecoded(value.toString());
        out.insert(name, value);
    }
    return out;
}

bool isConsumableWall(const QString &raw)
{
    return jsonFirstText(readObject(raw), {"kind"}).toLower() == u"consumable_wall";
}

Writeoff buildWriteoff(const QString &raw,
                       const std::function<QString(const QString &tabId)> &serverTypeOfTab)
{
    Writeoff w;
    const QString scan = raw.trimmed();
    const QJsonObject wall = readObject(scan);
    w.payload = wall;
    w.payload.insert(QStringLiteral("raw"), scan);

    w.tabId = jsonFirstText(wall, {"tab_id", "tabId"});
    w.type = jsonFirstText(wall, {"type_key", "type_id", "server_type", "serverType", "title_slug"});
    if (w.type.isEmpty() && serverTypeOfTab && !w.tabId.isEmpty())
        w.type = serverTypeOfTab(w.tabId).trimmed();
    w.item = jsonFirstText(wall, {"item_key", "item_id", "item_slug", "item_code", "item_en"});
    w.itemText = jsonFirstText(wall, {"item_text", "display_name", "name", "item_name"});
    if (w.item.isEmpty() && !w.itemText.isEmpty())
        w.item = canonicalConsumableKey(w.itemText);
    if (w.type.isEmpty()) {
        const QString title = jsonFirstText(wall, {"title_text", "display_title", "title"});
        if (!title.isEmpty())
            w.type = canonicalConsumableKey(title);
    }
    w.amount = jsonToNumber(wall.value(QLatin1String("amount")), 0.0);

    if (!w.type.isEmpty()) {
        for (const char *key : {"type_id", "server_type", "type_key", "type_en", "title_slug"})
            w.payload.insert(QLatin1String(key), w.type);
    }
    if (!w.item.isEmpty()) {
        for (const char *key : {"item_key", "item_en", "item_id", "item_slug", "item_code", "name"})
            w.payload.insert(QLatin1String(key), w.item);
    }
    return w;
}

} // namespace WallPayload
