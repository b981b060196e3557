#pragma once

#include "devices/RateWindow.h"

#include <QByteArray>
#include <QStringList>

// Cuts the byte stream of a serial device into text lines and guards against floods:
// one read of at most 4096 bytes, at most 8192 buffered bytes, a bounded number of lines
// per second, at most 512 characters per line. Lives on the port thread.
class SerialLineFramer
{
public:
    enum class Result { Ok, TooManyBytes, TooManyLines };

    static constexpr int kMaxChunkBytes = 4096;
    static constexpr int kMaxBufferedBytes = 8192;
    static constexpr int kMaxLineChars = 512;

    SerialLineFramer(int maxLinesPerWindow, const MonotonicClock &clock);

    // Appends one read and extracts the complete lines (trimmed, non-empty, cut to 512
    // characters) into *lines. Lines found before a guard trips are still handed out.
    Result feed(const QByteArray &chunk, QStringList *lines);
    // The idle timer fired: complete lines first, then the rest counts as one line.
    Result flush(QStringList *lines);

    bool hasPendingBytes() const { return !m_buffer.isEmpty(); }
    int bufferedBytes() const { return int(m_buffer.size()); }
    void reset();

private:
    Result extract(bool flushRest, QStringList *lines);
    Result takeLine(const QByteArray &bytes, QStringList *lines);

    QByteArray m_buffer;
    // Every line counts, blank ones too: a stuck trigger sending line ends is a flood.
    RateWindow m_lineRate;
};
