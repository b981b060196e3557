#include "settings/ConsumableTabs.h"

#include "common/JsonRead.h"

#include <QJsonObject>
#include <QRegularExpression>
#include <QUuid>

namespace {

QStringList optionsFrom(const QVariant &value)
{
    if (value.typeId() == QMetaType::QString)
        return ConsumableTabs::splitOptions(value.toString());
    QStringList out;
    for (const QVariant &item : value.toList()) {
        const QString text = variantToText(item);
        if (!text.isEmpty())
            out.append(text);
    }
    return out;
}

QVariantList listOf(const QStringList &items)
{
    QVariantList out;
    for (const QString &item : items)
        out.append(item);
    return out;
}

QVariantMap makeTab(const QString &id, const QString &title, const QString &mode,
                    const QString &serverType, const QString &measure, const QStringList &options)
{
    return {
        {QStringLiteral("id"), id},
        {QStringLiteral("title"), title},
        {QStringLiteral("mode"), mode},
        {QStringLiteral("serverType"), serverType},
        {QStringLiteral("measure"), measure},
        {QStringLiteral("options"), listOf(options)},
    };
}

} // namespace

QVariantList ConsumableTabs::defaults()
{
    return {
        makeTab(QStringLiteral("tab_inks"), QStringLiteral("Чернила"), QStringLiteral("inks"),
                QStringLiteral("ink"), QStringLiteral("color_count"),
                {QStringLiteral("black"), QStringLiteral("cyan"), QStringLiteral("magenta"),
                 QStringLiteral("yellow")}),
        makeTab(QStringLiteral("tab_boxes"), QStringLiteral("Коробки"), QStringLiteral("boxes"),
                QStringLiteral("box"), QStringLiteral("count"),
                {QStringLiteral("Коробка"), QStringLiteral("Шкатулка маленькая"),
                 QStringLiteral("Шкатулка большая")}),
        makeTab(QStringLiteral("tab_materials"), QStringLiteral("Материалы"), QStringLiteral("materials"),
                QStringLiteral("material"), QStringLiteral("length"),
                {QStringLiteral("Обои"), QStringLiteral("Холст"), QStringLiteral("Фреска"),
                 QStringLiteral("Песок"), QStringLiteral("Скотч")}),
    };
}

QString ConsumableTabs::newTabId()
{
    return QStringLiteral("tab_") + QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
}

QVariantMap ConsumableTabs::newTab()
{
    return makeTab(newTabId(), QStringLiteral("Новый расходник"), QStringLiteral("count"),
                   QStringLiteral("generic"), QString(), {});
}

QString ConsumableTabs::normalizeMode(const QString &mode)
{
    const QString m = mode.trimmed().toLower();
    if (m == u"count" || m == u"inks" || m == u"boxes" || m == u"materials" || m == u"generic")
        return m;
    if (m == u"ink")
        return QStringLiteral("inks");
    if (m == u"box")
        return QStringLiteral("boxes");
    if (m == u"material")
        return QStringLiteral("materials");
    return QStringLiteral("generic");
}

QString ConsumableTabs::defaultTitle(const QString &mode)
{
    if (mode == u"inks")
        return QStringLiteral("Чернила");
    if (mode == u"boxes")
        return QStringLiteral("Коробки");
    if (mode == u"materials")
        return QStringLiteral("Материалы");
    return QStringLiteral("Расходник");
}

QString ConsumableTabs::defaultServerType(const QString &mode)
{
    if (mode == u"inks")
        return QStringLiteral("ink");
    if (mode == u"boxes")
        return QStringLiteral("box");
    if (mode == u"materials")
        return QStringLiteral("material");
    return QStringLiteral("generic");
}

QString ConsumableTabs::defaultMeasure(const QString &mode)
{
    if (mode == u"inks")
        return QStringLiteral("color_count");
    if (mode == u"materials")
        return QStringLiteral("length");
    return {};
}

QStringList ConsumableTabs::splitOptions(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("[,;\\n\\r]+"));
    QStringList out;
    for (const QString &part : text.split(separators)) {
        const QString option = part.trimmed();
        if (!option.isEmpty())
            out.append(option);
    }
    return out;
}

QVariantMap ConsumableTabs::normalizeTab(const QVariantMap &raw, int position)
{
    QVariantMap tab = raw;
    for (const char *alias : {"tab_id", "server_type", "type"})
        tab.remove(QLatin1String(alias));
    const QString mode = normalizeMode(variantFirstText(raw, {"mode"}));
    tab.insert(QStringLiteral("id"),
               variantFirstText(raw, {"id", "tab_id"}, QStringLiteral("tab_%1").arg(position)));
    tab.insert(QStringLiteral("title"), variantFirstText(raw, {"title"}, defaultTitle(mode)));
    tab.insert(QStringLiteral("mode"), mode);
    tab.insert(QStringLiteral("serverType"),
               variantFirstText(raw, {"serverType", "server_type", "type"}, defaultServerType(mode)));
    tab.insert(QStringLiteral("measure"), variantFirstText(raw, {"measure"}, defaultMeasure(mode)));
    tab.insert(QStringLiteral("options"), listOf(optionsFrom(raw.value(QStringLiteral("options")))));
    return tab;
}

QVariantList ConsumableTabs::normalizeList(const QVariantList &tabs)
{
    QVariantList out;
    for (const QVariant &tab : tabs) {
        if (tab.typeId() == QMetaType::QVariantMap)
            out.append(normalizeTab(tab.toMap(), int(out.size())));
    }
    return out;
}

QVariantList ConsumableTabs::fromJson(const QJsonArray &array)
{
    return normalizeList(array.toVariantList());
}

int ConsumableTabs::indexOfId(const QVariantList &tabs, const QString &tabId)
{
    const QString id = tabId.trimmed();
    if (id.isEmpty())
        return -1;
    for (int i = 0; i < tabs.size(); ++i) {
        if (tabs.at(i).toMap().value(QStringLiteral("id")).toString() == id)
            return i;
    }
    return -1;
}

QVariantMap ConsumableTabs::tabById(const QVariantList &tabs, const QString &tabId)
{
    const int row = indexOfId(tabs, tabId);
    return row < 0 ? QVariantMap() : tabs.at(row).toMap();
}
