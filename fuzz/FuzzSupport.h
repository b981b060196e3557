#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// The fuzzer's bytes as the text a parser would get from a file, a reply or a scan.
inline QByteArray fuzzBytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

inline QString fuzzText(const uint8_t *data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// Splits one fuzz input into the several values a parser takes (a status, a scan
// line, a JSON body), so one input reaches every combination.
class FuzzInput
{
public:
    FuzzInput(const uint8_t *data, size_t size) : m_bytes(fuzzBytes(data, size)) {}

    uint8_t takeByte()
    {
        if (m_pos >= m_bytes.size())
            return 0;
        return static_cast<uint8_t>(m_bytes.at(m_pos++));
    }
    // Up to the next newline (dropped); the rest when there is none.
    QString takeLine()
    {
        const qsizetype end = m_bytes.indexOf('\n', m_pos);
        const qsizetype stop = end < 0 ? m_bytes.size() : end;
        const QString line = QString::fromUtf8(m_bytes.mid(m_pos, stop - m_pos));
        m_pos = end < 0 ? m_bytes.size() : end + 1;
        return line;
    }
    QByteArray restBytes()
    {
        const QByteArray rest = m_bytes.mid(m_pos);
        m_pos = m_bytes.size();
        return rest;
    }

private:
    QByteArray m_bytes;
    qsizetype m_pos = 0;
};

// A fresh, empty folder for a service's files, inside one temporary folder that
// lives as long as the process.
QString fuzzScratchDir();

class QObject;
class QAbstractItemModel;
// Reads every property of the object, and every role of every row of a model, as
// the scene would after an update.
void readEveryProperty(const QObject *object);
void readEveryRow(const QAbstractItemModel *model);
