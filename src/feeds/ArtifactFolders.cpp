#include "feeds/ArtifactFolders.h"

#include "settings/AppSettings.h"

#include <QDir>
#include <QStringList>

#include <initializer_list>

namespace {

QString folderOr(const AppSettings *settings, const QString &configured, const char *fallback)
{
    const QString folder = configured.trimmed();
    const QString base = settings ? settings->appDataDir() : QDir::homePath();
    // A relative folder (a drive path from another system) never lands in the working directory.
    if (!folder.isEmpty())
        return QDir::cleanPath(QDir::isRelativePath(folder) ? base + QLatin1Char('/') + folder : folder);
    return QDir::cleanPath(base + QLatin1Char('/') + QLatin1String(fallback));
}

bool containsAny(const QString &text, std::initializer_list<const char *> words)
{
    for (const char *word : words) {
        if (text.contains(QString::fromUtf8(word)))
            return true;
    }
    return false;
}

QString firstNonEmpty(std::initializer_list<QString> values)
{
    for (const QString &value : values) {
        if (!value.trimmed().isEmpty())
            return value;
    }
    return {};
}

} // namespace

namespace ArtifactFolders {

QString forDestination(const AppSettings *s, const QString &destinationText)
{
    const QString text = destinationText.trimmed().toLower();
    const auto setting = [s](QString (AppSettings::*getter)() const) { return s ? (s->*getter)() : QString(); };

    if (containsAny(text, {"pictures_marela", "picture_marela", "picture_print_queue_txt", "picture_print",
                           "печать картин", "pictures/marela"}))
        return folderOr(s, setting(&AppSettings::picturesMarelaDir), "pictures/marela");
    if (containsAny(text, {"marela", "rolls/marela"}))
        return folderOr(s, setting(&AppSettings::marelaRollsDir), "rolls/marela");
    if (containsAny(text, {"ivra", "rolls/ivra"}))
        return folderOr(s, setting(&AppSettings::ivraRollsDir), "rolls/ivra");
    if (containsAny(text, {"yandex", "ym", "ям"}))
        return folderOr(s, setting(&AppSettings::yandexLabelsPath), "labels/yandex");

    const bool supply = containsAny(text, {"supply", "supplies", "постав"});
    const bool ozon = containsAny(text, {"ozon", "озон"});
    const bool wb = containsAny(text, {"wb", "wild", "вб"});
    if (supply && ozon)
        return folderOr(s, setting(&AppSettings::ozonLabelsDir), "supply_labels/ozon");
    if (supply && wb)
        return folderOr(s, setting(&AppSettings::wbLabelsDir), "supply_labels/wb");
    if (ozon)
        return folderOr(s, setting(&AppSettings::ozonPath), "labels/ozon");
    if (wb)
        return folderOr(s, setting(&AppSettings::wbPath), "labels/wb");
    if (containsAny(text, {"warehouse", "sklad", "склад", "fbo"}))
        return folderOr(s, firstNonEmpty({setting(&AppSettings::warehousePath), setting(&AppSettings::ymPath),
                                          setting(&AppSettings::uidSearchRoot1)}),
                        "warehouse/stickers");
    // A label of no known marketplace goes where label commands without one look.
    if (containsAny(text, {"label", "sticker", "этикет", "наклей"}))
        return folderOr(s, QString(), "labels");
    return folderOr(s, QString(), "server_artifacts");
}

QString forMarketplaceLabels(const AppSettings *s, const QString &marketplace)
{
    const QString market = marketplace.trimmed().toLower();
    const auto is = [&market](std::initializer_list<const char *> names) {
        for (const char *name : names) {
            if (market == QString::fromUtf8(name))
                return true;
        }
        return false;
    };
    if (is({"wb", "wildberries", "вб"}))
        return folderOr(s, s ? s->wbPath() : QString(), "labels/wb");
    if (is({"ozon", "озон"}))
        return folderOr(s, s ? s->ozonPath() : QString(), "labels/ozon");
    if (is({"ym", "yandex", "yandex_market", "яндекс", "ям"}))
        return folderOr(s, s ? s->yandexLabelsPath() : QString(), "labels/yandex");
    return folderOr(s, QString(), "labels");
}

} // namespace ArtifactFolders
