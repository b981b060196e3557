#include "production/LabelFileFinder.h"

#include "platform/FileStamp.h"
#include "platform/NativeStringQt.h"
#include "platform/VolumeInfo.h"
#include "production/PrintUid.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

const QString kPrinted = QStringLiteral("напечатано");

// The label and picture types: *.pdf, *.png, *.jpg, *.jpeg, *.bmp, *.webp, *.tif, *.tiff.
bool passesNameFilters(const QString &name)
{
    static const QStringList suffixes {
        QStringLiteral(".pdf"), QStringLiteral(".png"), QStringLiteral(".jpg"),
        QStringLiteral(".jpeg"), QStringLiteral(".bmp"), QStringLiteral(".webp"),
        QStringLiteral(".tif"), QStringLiteral(".tiff"),
    };
    for (const QString &suffix : suffixes) {
        if (name.endsWith(suffix, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString absoluteClean(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

bool LabelFileFinder::platformKeepsDirectoryTimes(const QString &root)
{
    return platform::volumeKeepsDirectoryTimes(platform::toNativePath(root));
}

int LabelFileFinder::scoreFor(const QString &fileName, int rootNumber)
{
    const QString lower = fileName.toLower();
    int score = (100 - rootNumber) * 100 - int(fileName.size());
    if (!lower.startsWith(kPrinted))
        score += 5000;
    if (lower.startsWith(QStringLiteral("печать_")))
        score += 400;
    else if (lower.startsWith(QStringLiteral("самовыкуп")))
        score += 300;
    else if (lower.startsWith(QStringLiteral("расход")))
        score += 200;
    return score;
}

void LabelFileFinder::list(const QString &path, Directory &directory)
{
    directory.subdirectories.clear();
    directory.files.clear();
    directory.byToken.clear();
    // Hidden entries and links to directories are left out, as a recursive directory
    // iterator does by default (and links could loop).
    const QFileInfoList entries =
        QDir(path).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo &entry : entries) {
        if (entry.isDir()) {
            if (!entry.isSymLink())
                directory.subdirectories << path + QLatin1Char('/') + entry.fileName();
            continue;
        }
        const QString name = entry.fileName();
        if (!passesNameFilters(name))
            continue;
        const int index = int(directory.files.size());
        directory.files << name;
        const QStringList tokens = uidNameTokens(name);
        for (const QString &token : tokens) {
            QVector<int> &hits = directory.byToken[token];
            if (hits.isEmpty() || hits.last() != index)
                hits << index;
        }
    }
}

const LabelFileFinder::Directory *LabelFileFinder::visit(const QString &path, bool fresh)
{
    platform::FileStamp stamp;
    if (!platform::readFileStamp(platform::toNativePath(path), &stamp) || !stamp.isDirectory) {
        m_dirs.remove(path);
        return nullptr;
    }

    auto it = m_dirs.find(path);
    if (it == m_dirs.end())
        it = m_dirs.insert(path, Directory());
    Directory &directory = it.value();
    directory.pass = m_pass;

    const bool same = directory.listedAtNs != 0 && directory.modifiedNs == stamp.modifiedNs
        && directory.changedNs == stamp.changedNs;
    // A listing taken in the same clock tick as the last change may have missed a
    // second change within that tick: such a listing is not trusted. Times in whole
    // seconds come from a coarse clock (FAT keeps two seconds); the others tick in
    // milliseconds at most.
    const qint64 lastChangeNs = std::max(stamp.modifiedNs, stamp.changedNs);
    const bool coarse = stamp.modifiedNs % 1000000000 == 0 && stamp.changedNs % 1000000000 == 0;
    const qint64 settleMs = coarse ? m_settleMs : std::min<qint64>(m_settleMs, kFineSettleMs);
    const bool settled = directory.listedAtNs - lastChangeNs > settleMs * 1000000;
    if (!fresh && same && settled) {
        ++m_stats.directoriesReused;
        return &directory;
    }

    directory.listedAtNs = QDateTime::currentMSecsSinceEpoch() * 1000000;
    directory.modifiedNs = stamp.modifiedNs;
    directory.changedNs = stamp.changedNs;
    list(path, directory);
    ++m_stats.directoriesListed;
    return &directory;
}

QVector<LabelFileFinder::Candidate> LabelFileFinder::find(const QStringList &roots,
                                                          const QString &uid, bool fresh)
{
    m_stats = Stats();
    ++m_pass;
    QVector<Candidate> candidates;
    if (uid.isEmpty())
        return candidates;

    const QString key = uidTokenKey(uid);
    const QRegularExpression pattern = uidFileNamePattern(uid);
    QSet<QString> seenPaths;
    QSet<QString> walked;

    for (int i = 0; i < roots.size(); ++i) {
        const QString root = roots.at(i).trimmed();
        if (root.isEmpty() || !QFileInfo(root).isDir())
            continue;
        const int rootNumber = i + 1;
        const bool relist = fresh || !m_volumeProbe || !m_volumeProbe(root);
        QStringList pending { absoluteClean(root) };
        while (!pending.isEmpty()) {
            const QString dirPath = pending.takeLast();
            // A root inside an earlier root was walked with the earlier root's number.
            if (walked.contains(dirPath))
                continue;
            walked.insert(dirPath);
            const Directory *directory = visit(dirPath, relist);
            if (!directory)
                continue;
            pending << directory->subdirectories;

            auto consider = [&](int index) {
                const QString &name = directory->files.at(index);
                if (!pattern.match(QFileInfo(name).completeBaseName()).hasMatch())
                    return;
                const QString path = dirPath + QLatin1Char('/') + name;
                if (seenPaths.contains(path))
                    return;
                seenPaths.insert(path);
                candidates.push_back({ path, name, rootNumber, scoreFor(name, rootNumber) });
            };
            if (!key.isEmpty()) {
                const auto hits = directory->byToken.constFind(key);
                if (hits != directory->byToken.constEnd()) {
                    for (int index : hits.value())
                        consider(index);
                }
            } else {
                for (int index = 0; index < directory->files.size(); ++index)
                    consider(index);
            }
        }
    }

    // Directories no longer under any root are forgotten.
    for (auto it = m_dirs.begin(); it != m_dirs.end();) {
        if (it->pass != m_pass) {
            it = m_dirs.erase(it);
        } else {
            m_stats.filesKept += int(it->files.size());
            ++it;
        }
    }

    std::sort(candidates.begin(), candidates.end(), [](const Candidate &a, const Candidate &b) {
        if (a.score != b.score)
            return a.score > b.score;
        if (a.fileName.size() != b.fileName.size())
            return a.fileName.size() < b.fileName.size();
        return a.path < b.path;
    });
    return candidates;
}
