#include "production/PrintedFileNaming.h"

#include "common/LogCategories.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kPrinted = QStringLiteral("напечатано");

QString cleanAbsolute(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

QString printedFileName(const QString &fileName, bool inMarkingFolder)
{
    const QString lower = fileName.toLower();
    if (lower.startsWith(kPrinted))
        return {};
    const QString selfBuyout = QStringLiteral("самовыкуп");
    const QString consumption = QStringLiteral("расход");
    const QString print = QStringLiteral("печать_");
    if (lower.startsWith(selfBuyout))
        return kPrinted + QLatin1Char('_') + selfBuyout + fileName.mid(selfBuyout.size());
    if (lower.startsWith(consumption))
        return kPrinted + fileName.mid(consumption.size());
    if (lower.startsWith(print))
        return kPrinted + QLatin1Char('_') + fileName.mid(print.size());
    if (inMarkingFolder)
        return kPrinted + QLatin1Char('_') + fileName;
    return {};
}

bool pathIsInsideFolder(const QString &path, const QString &folder)
{
    const QString trimmed = folder.trimmed();
    if (trimmed.isEmpty() || !QFileInfo(trimmed).isDir())
        return false;
    QString base = cleanAbsolute(trimmed);
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity cs = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity cs = Qt::CaseSensitive;
#endif
    return cleanAbsolute(path).startsWith(base, cs);
}

QString renameAsPrinted(const QString &path, const QStringList &markingFolders,
                        QString *errorText)
{
    const QFileInfo info(path);
    bool inMarkingFolder = false;
    for (const QString &folder : markingFolders) {
        if (pathIsInsideFolder(path, folder)) {
            inMarkingFolder = true;
            break;
        }
    }
    const QString newName = printedFileName(info.fileName(), inMarkingFolder);
    if (newName.isEmpty())
        return info.absoluteFilePath();

    const QString target = info.absoluteDir().filePath(newName);
    if (QFileInfo::exists(target) && !QFile::remove(target))
        qCWarning(lcProduction) << "could not remove old printed file" << target;
    QFile file(info.absoluteFilePath());
    if (!file.rename(target)) {
        qCWarning(lcProduction) << "rename as printed failed" << path << file.errorString();
        if (errorText)
            *errorText = file.errorString();
        return info.absoluteFilePath();
    }
    return QFileInfo(target).absoluteFilePath();
}
