#include "common/IsoTime.h"

QString isoUtcNowMs()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

QString isoLocalMs(const QDateTime &time)
{
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
}

QString isoLocalNowMs()
{
    return isoLocalMs(QDateTime::currentDateTime());
}

QDateTime parseServerTime(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    QDateTime time = QDateTime::fromString(trimmed, Qt::ISODateWithMs);
    if (!time.isValid())
        time = QDateTime::fromString(trimmed, Qt::ISODate);
    if (!time.isValid())
        time = QDateTime::fromString(trimmed, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!time.isValid()) {
        bool ok = false;
        const qint64 number = trimmed.toLongLong(&ok);
        if (ok && number > 0)
            time = number > 100000000000LL ? QDateTime::fromMSecsSinceEpoch(number)
                                            : QDateTime::fromSecsSinceEpoch(number);
    }
    return time;
}
