#include "devices/SerialLineFramer.h"

namespace {
bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}
} // namespace

SerialLineFramer::SerialLineFramer(int maxLinesPerWindow, const MonotonicClock &clock)
    : m_lineRate(maxLinesPerWindow, clock)
{
}

SerialLineFramer::Result SerialLineFramer::feed(const QByteArray &chunk, QStringList *lines)
{
    if (chunk.size() > kMaxChunkBytes || m_buffer.size() + chunk.size() > kMaxBufferedBytes)
        return Result::TooManyBytes;
    m_buffer.append(chunk);
    return extract(false, lines);
}

SerialLineFramer::Result SerialLineFramer::flush(QStringList *lines)
{
    return extract(true, lines);
}

void SerialLineFramer::reset()
{
    m_buffer.clear();
    m_lineRate.reset();
}

SerialLineFramer::Result SerialLineFramer::extract(bool flushRest, QStringList *lines)
{
    qsizetype pos = 0;
    const qsizetype size = m_buffer.size();
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && !isLineEnd(m_buffer.at(end)))
            ++end;
        if (end == size)
            break;
        const QByteArray line = m_buffer.mid(pos, end - pos);
        // The terminator and every CR/LF right behind it go with the line, so CRLF,
        // LFCR and blank lines all count as one separator.
        while (end < size && isLineEnd(m_buffer.at(end)))
            ++end;
        pos = end;
        if (takeLine(line, lines) == Result::TooManyLines) {
            m_buffer.remove(0, pos);
            return Result::TooManyLines;
        }
    }
    m_buffer.remove(0, pos);

    if (flushRest && !m_buffer.isEmpty()) {
        const QByteArray rest = m_buffer;
        m_buffer.clear();
        return takeLine(rest, lines);
    }
    return Result::Ok;
}

SerialLineFramer::Result SerialLineFramer::takeLine(const QByteArray &bytes, QStringList *lines)
{
    if (!m_lineRate.count())
        return Result::TooManyLines;
    QString text = QString::fromUtf8(bytes).trimmed();
    if (text.isEmpty())
        return Result::Ok;
    if (text.size() > kMaxLineChars)
        text.truncate(kMaxLineChars);
    lines->append(text);
    return Result::Ok;
}
