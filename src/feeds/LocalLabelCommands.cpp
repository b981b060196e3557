#include "feeds/LocalLabelCommands.h"

#include "common/SafeFileName.h"
#include "feeds/ArtifactTask.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

const QStringList kLabelFilters{
    QStringLiteral("*.pdf"), QStringLiteral("*.png"), QStringLiteral("*.jpg"), QStringLiteral("*.jpeg"),
    QStringLiteral("*.bmp"), QStringLiteral("*.webp"), QStringLiteral("*.tif"), QStringLiteral("*.tiff"),
};

// Longest first, so "печатается" is tried before "печать".
QStringList prefixesOf(const ArtifactTask &task)
{
    QStringList prefixes = task.oldPrefixes.isEmpty() ? LocalLabelCommands::defaultOldPrefixes() : task.oldPrefixes;
    std::stable_sort(prefixes.begin(), prefixes.end(),
                     [](const QString &a, const QString &b) { return a.size() > b.size(); });
    return prefixes;
}

// The name after "<prefix>_" for the first prefix it starts with (any case); false when none.
bool splitPrefix(const QString &name, const QStringList &prefixes, QString *rest)
{
    for (const QString &prefix : prefixes) {
        if (name.size() > prefix.size() && name.at(prefix.size()) == QLatin1Char('_')
            && name.left(prefix.size()).toLower() == prefix) {
            *rest = name.mid(prefix.size() + 1);
            return true;
        }
    }
    return false;
}

// The rest of the command's old file name: without any prefix it may carry.
QString oldNameRest(const ArtifactTask &task, const QStringList &prefixes)
{
    const QString name = QFileInfo(task.oldFileName.trimmed()).fileName().trimmed();
    QString rest;
    if (splitPrefix(name, prefixes, &rest) || splitPrefix(name, LocalLabelCommands::defaultOldPrefixes(), &rest))
        return rest;
    return name;
}

QString wantedLabel(const ArtifactTask &task)
{
    return task.labelCode.isEmpty() ? task.oldFileName : task.labelCode;
}

bool incomplete(const ArtifactTask &task)
{
    return task.labelCode.isEmpty() && task.oldFileName.isEmpty();
}

// What a command says when it cannot start or finds nothing.
struct Wording
{
    QString incomplete;
    QString noFolder;   // %1: the folder
    QString notFound;   // %1: the label code or file name
};

} // namespace

namespace LocalLabelCommands {

QStringList defaultOldPrefixes()
{
    return {QStringLiteral("расход"), QStringLiteral("самовыкуп"), QStringLiteral("печать"),
            QStringLiteral("печатается"), QStringLiteral("отменен"), QStringLiteral("отменён"),
            QStringLiteral("неизв")};
}

QString defaultNewPrefix()
{
    return QStringLiteral("расход");
}

QStringList matchingFiles(const QString &folder, const ArtifactTask &task)
{
    // Without a code and a file name every prefixed label would match.
    if (incomplete(task))
        return {};
    const QStringList prefixes = prefixesOf(task);
    const QString code = task.labelCode.trimmed().toLower();
    const QString wantedRest = task.oldFileName.isEmpty() ? QString() : oldNameRest(task, prefixes);

    QStringList matches;
    const QStringList names = QDir(folder).entryList(kLabelFilters, QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names) {
        const QString trimmed = name.trimmed();
        QString rest;
        if (!splitPrefix(trimmed, prefixes, &rest))
            continue;
        if (!code.isEmpty() && !trimmed.toLower().contains(code))
            continue;
        if (!wantedRest.isEmpty() && rest.compare(wantedRest, Qt::CaseInsensitive) != 0)
            continue;
        matches << name;
    }
    return matches;
}

// The files the command works on; none when it cannot start or nothing matches,
// with that told in out. A command that can never succeed counts as done; a
// missing folder may come back, so that one is tried again.
static QStringList filesToTouch(const QString &folder, const ArtifactTask &task, const Wording &words,
                                ArtifactOutcome &out)
{
    if (incomplete(task)) {
        out.warn(words.incomplete);
        out.done = true;
        return {};
    }
    if (!QFileInfo(folder).isDir()) {
        out.warn(words.noFolder.arg(QDir::toNativeSeparators(folder)));
        return {};
    }
    const QStringList files = matchingFiles(folder, task);
    if (files.isEmpty()) {
        // Nothing here carries that label: the command has nothing left to do.
        out.warn(words.notFound.arg(wantedLabel(task)));
        out.done = true;
    }
    return files;
}

ArtifactOutcome rename(const QString &folder, const ArtifactTask &task)
{
    ArtifactOutcome out;
    const QStringList files = filesToTouch(folder, task,
                                           {QStringLiteral("Приложение: команда переименования этикетки неполная, пропущена."),
                                            QStringLiteral("Приложение: папка этикеток для переименования не найдена: %1"),
                                            QStringLiteral("Приложение: локальная этикетка %1 для переименования не найдена.")},
                                           out);
    if (files.isEmpty())
        return out;

    const QStringList prefixes = prefixesOf(task);
    const QString newPrefix = task.newPrefix.isEmpty() ? defaultNewPrefix() : task.newPrefix;
    const QDir dir(folder);
    QStringList renamed;
    bool failed = false;
    for (const QString &name : files) {
        QString rest;
        splitPrefix(name.trimmed(), prefixes, &rest);
        const QString target = safeFileName(newPrefix + QLatin1Char('_') + rest);
        if (target == name) {
            renamed << name;
            continue;
        }
        const QString to = pathInsideFolder(folder, target);
        if (to.isEmpty() || QFileInfo::exists(to) || !QFile::rename(dir.filePath(name), to)) {
            out.warn(QStringLiteral("Приложение: не удалось переименовать этикетку %1").arg(name));
            failed = true;
            continue;
        }
        renamed << target;
        ++out.changedFiles;
    }
    if (!renamed.isEmpty())
        out.success(QStringLiteral("Приложение: локальные этикетки обновлены: %1").arg(renamed.join(QStringLiteral(", "))));
    out.done = !failed;
    return out;
}

ArtifactOutcome remove(const QString &folder, const ArtifactTask &task)
{
    ArtifactOutcome out;
    const QStringList files = filesToTouch(folder, task,
                                           {QStringLiteral("Приложение: команда удаления этикетки неполная, пропущена."),
                                            QStringLiteral("Приложение: папка этикеток для удаления не найдена: %1"),
                                            QStringLiteral("Приложение: локальная этикетка %1 для удаления не найдена.")},
                                           out);
    if (files.isEmpty())
        return out;

    const QDir dir(folder);
    QStringList removed;
    bool failed = false;
    for (const QString &name : files) {
        if (!QFile::remove(dir.filePath(name))) {
            out.warn(QStringLiteral("Приложение: не удалось удалить локальную этикетку %1").arg(name));
            failed = true;
            continue;
        }
        removed << name;
        ++out.changedFiles;
    }
    if (!removed.isEmpty())
        out.success(QStringLiteral("Приложение: локальные этикетки удалены: %1").arg(removed.join(QStringLiteral(", "))));
    out.done = !failed;
    return out;
}

} // namespace LocalLabelCommands
