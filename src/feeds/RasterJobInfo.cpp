#include "feeds/RasterJobInfo.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

RasterJobInfo parseRasterJobInfo(const QByteArray &content)
{
    RasterJobInfo info;
    // The RIP writes either UTF-16 with a byte order mark or 8-bit text.
    const auto encoding = QStringConverter::encodingForData(content);
    QStringDecoder decoder(encoding.value_or(QStringConverter::Utf8));
    QString text = decoder.decode(content);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));

    static const QRegularExpression inkLine(QStringLiteral("^inkUsed\\s*=\\s*([0-9;,\\s]+)$"),
                                            QRegularExpression::CaseInsensitiveOption
                                                | QRegularExpression::MultilineOption);
    static const QRegularExpression profileLine(QStringLiteral("^deviceProfileName\\s*=\\s*(.+)$"),
                                                QRegularExpression::CaseInsensitiveOption
                                                    | QRegularExpression::MultilineOption);
    const QRegularExpressionMatch profile = profileLine.match(text);
    if (profile.hasMatch())
        info.profile = profile.captured(1).trimmed();

    const QRegularExpressionMatch inks = inkLine.match(text);
    if (!inks.hasMatch())
        return info;
    const QString amounts = inks.captured(1).trimmed();
    // "12;3,5;..." has decimal commas; without semicolons commas or blanks separate.
    static const QRegularExpression loose(QStringLiteral("[,\\s]+"));
    const QStringList parts = amounts.contains(u';') ? amounts.split(u';', Qt::SkipEmptyParts)
                                                     : amounts.split(loose, Qt::SkipEmptyParts);
    QList<double> values;
    for (QString part : parts) {
        part = part.trimmed();
        part.replace(u',', u'.');
        part.remove(QRegularExpression(QStringLiteral("\\s")));
        bool ok = false;
        const double value = part.toDouble(&ok);
        if (ok)
            values.append(value);
    }
    if (values.isEmpty())
        return info;
    info.hasInks = true;
    double *colours[] = {&info.cyan, &info.magenta, &info.yellow, &info.black};
    for (int i = 0; i < 4 && i < values.size(); ++i)
        *colours[i] = values.at(i);
    info.total = info.cyan + info.magenta + info.yellow + info.black;
    return info;
}

RasterJobInfo readRasterJobInfo(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parseRasterJobInfo(file.readAll());
}
