#include "tools/StaffCsv.h"

#include <QStringList>
#include <QVariantMap>

namespace {

QString field(const QVariant &value)
{
    QString text = value.toString();
    text.replace(QLatin1Char(';'), QLatin1Char(','));
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

// The date first, then the named keys of each row.
void appendRows(QString &out, const QString &date, const QVariantList &rows, const QStringList &keys)
{
    for (const QVariant &row : rows) {
        const QVariantMap map = row.toMap();
        QStringList fields{ field(date) };
        for (const QString &key : keys)
            fields << field(map.value(key));
        out += fields.join(QLatin1Char(';')) + QLatin1Char('\n');
    }
}

} // namespace

QByteArray StaffCsv::attendance(const QString &date, const QVariantList &events)
{
    QString out = QStringLiteral("Дата;Время;Сотрудник;ID;Тип;Детали;UID;Опоздание_мин;Отработано_мин;Отработано\n");
    appendRows(out, date, events,
               { QStringLiteral("time"), QStringLiteral("name"), QStringLiteral("employeeId"),
                 QStringLiteral("typeLabel"), QStringLiteral("detailText"), QStringLiteral("rfidUid"),
                 QStringLiteral("lateMin"), QStringLiteral("workedMinutes"), QStringLiteral("workedLabel") });
    return out.toUtf8();
}

QByteArray StaffCsv::archive(const QString &date, const QVariantList &summary, const QVariantList &events)
{
    QString out = QStringLiteral("Сводка за день\n"
                                 "Дата;Сотрудник;ID;Сканов;Активаций;Квадратура;Часы_посещений\n");
    appendRows(out, date, summary,
               { QStringLiteral("name"), QStringLiteral("employeeId"), QStringLiteral("scans"),
                 QStringLiteral("active"), QStringLiteral("areaLabel"), QStringLiteral("visitHoursLabel") });
    out += QStringLiteral("Лента событий\n"
                          "Дата;Время;Сотрудник;ID;Тип;Детали;Принтер;Файл;Квадратура;Отработано_мин;Отработано\n");
    appendRows(out, date, events,
               { QStringLiteral("time"), QStringLiteral("name"), QStringLiteral("employeeId"),
                 QStringLiteral("typeLabel"), QStringLiteral("detailText"), QStringLiteral("printer"),
                 QStringLiteral("fileName"), QStringLiteral("area"), QStringLiteral("workedMinutes"),
                 QStringLiteral("workedLabel") });
    return out.toUtf8();
}
