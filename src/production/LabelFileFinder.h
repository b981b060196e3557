#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// Finds the label and picture files whose names carry a UID under the search roots.
//
// Walking 100,000 files for every scan is slow, so each directory's listing is kept
// together with the directory's change times and is reused only while they are the same
// and were already old when the listing was taken. A file added, removed or renamed
// changes its directory's times; the age check covers a change that lands in the same
// clock tick as the listing (coarse file-system clocks), so a file that appeared just
// before a scan is never missed. Every directory's times are read on every search.
// Kept listings are used only on volumes that update directory times (the platform
// layer says which); on FAT, exFAT and network shares every search walks the folders.
class LabelFileFinder
{
public:
    struct Candidate
    {
        QString path;     // absolute
        QString fileName;
        int rootNumber = 0; // 1…8, position of the root in the search order
        int score = 0;
    };

    struct Stats
    {
        int directoriesListed = 0; // read from disk this search
        int directoriesReused = 0; // served from the kept listing
        int filesKept = 0;         // names in the kept listings after the search
    };

    // (100 − n) × 100 − name length, +5000 unless already printed, +400 "печать_",
    // else +300 "самовыкуп", else +200 "расход".
    static int scoreFor(const QString &fileName, int rootNumber);

    // Every matching file under the roots (given in search order; blank or missing roots
    // keep their number and are skipped), each path once, best first: higher score, then
    // the shorter name. fresh ignores the kept listings and reads everything again.
    QVector<Candidate> find(const QStringList &roots, const QString &uid, bool fresh = false);

    Stats lastStats() const { return m_stats; }
    // How old (ms) a directory's change time must be at listing time before the listing
    // is trusted: settleMs for times in whole seconds (two-second FAT clocks), at most
    // kFineSettleMs for finer ones.
    void setSettleMs(qint64 ms) { m_settleMs = ms; }
    static constexpr qint64 kFineSettleMs = 200;
    void clear() { m_dirs.clear(); }

    // Whether the volume of a root keeps directory times; the platform's answer by default.
    using VolumeProbe = std::function<bool(const QString &root)>;
    void setVolumeProbe(VolumeProbe probe) { m_volumeProbe = std::move(probe); }
    static bool platformKeepsDirectoryTimes(const QString &root);

private:
    struct Directory
    {
        qint64 modifiedNs = 0;
        qint64 changedNs = 0;
        qint64 listedAtNs = 0;
        quint64 pass = 0;
        QStringList subdirectories; // absolute paths
        QStringList files;          // names that pass the name filters
        QHash<QString, QVector<int>> byToken; // folded word piece -> indexes into files
    };

    const Directory *visit(const QString &path, bool fresh);
    static void list(const QString &path, Directory &directory);

    QHash<QString, Directory> m_dirs;
    quint64 m_pass = 0;
    qint64 m_settleMs = 2500;
    Stats m_stats;
    VolumeProbe m_volumeProbe = &LabelFileFinder::platformKeepsDirectoryTimes;
};
