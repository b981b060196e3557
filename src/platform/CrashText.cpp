#include "platform/CrashText.h"

namespace platform {

namespace {

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

template <typename Char>
bool isSpace(Char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

template <typename Char>
bool blank(const Char *text)
{
    if (!text)
        return true;
    for (; *text; ++text) {
        if (!isSpace(*text))
            return false;
    }
    return true;
}

} // namespace

CivilTime civilTimeFromUnixMs(std::int64_t unixMs)
{
    const std::int64_t days = floorDiv(unixMs, 86400000);
    const std::int64_t msOfDay = unixMs - days * 86400000;

    // Days since 1970-01-01 to year/month/day (Howard Hinnant's civil_from_days).
    const std::int64_t z = days + 719468;
    const std::int64_t era = floorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);

    CivilTime time;
    time.year = static_cast<int>(year);
    time.month = static_cast<int>(month);
    time.day = static_cast<int>(day);
    time.hour = static_cast<int>(msOfDay / 3600000);
    time.minute = static_cast<int>(msOfDay / 60000 % 60);
    time.second = static_cast<int>(msOfDay / 1000 % 60);
    time.millisecond = static_cast<int>(msOfDay % 1000);
    return time;
}

TextBuffer::TextBuffer(char *storage, std::size_t storageCapacity)
    : data(storage), capacity(storageCapacity)
{
    if (capacity > 0)
        data[0] = '\0';
}

void TextBuffer::append(char c)
{
    if (length + 1 >= capacity) {
        truncated = true;
        return;
    }
    data[length++] = c;
    data[length] = '\0';
}

void TextBuffer::append(const char *text)
{
    if (!text)
        return;
    for (; *text; ++text)
        append(*text);
}

void TextBuffer::appendNumber(std::uint64_t value, unsigned base, int minDigits)
{
    static const char digits[] = "0123456789ABCDEF";
    if (base < 2 || base > 16)
        base = 10;
    char reversed[64];
    int count = 0;
    do {
        reversed[count++] = digits[value % base];
        value /= base;
    } while (value != 0 && count < 64);
    while (count < minDigits && count < 64)
        reversed[count++] = '0';
    while (count > 0)
        append(reversed[--count]);
}

void TextBuffer::appendSigned(std::int64_t value)
{
    if (value < 0) {
        append('-');
        appendNumber(static_cast<std::uint64_t>(-(value + 1)) + 1);
    } else {
        appendNumber(static_cast<std::uint64_t>(value));
    }
}

void TextBuffer::appendIsoMs(const CivilTime &time, bool utcSuffix)
{
    if (time.year < 0)
        append('-');
    appendNumber(static_cast<std::uint64_t>(time.year < 0 ? -time.year : time.year), 10, 4);
    append('-');
    appendNumber(static_cast<std::uint64_t>(time.month), 10, 2);
    append('-');
    appendNumber(static_cast<std::uint64_t>(time.day), 10, 2);
    append('T');
    appendNumber(static_cast<std::uint64_t>(time.hour), 10, 2);
    append(':');
    appendNumber(static_cast<std::uint64_t>(time.minute), 10, 2);
    append(':');
    appendNumber(static_cast<std::uint64_t>(time.second), 10, 2);
    append('.');
    appendNumber(static_cast<std::uint64_t>(time.millisecond), 10, 3);
    if (utcSuffix)
        append('Z');
}

void formatCrashLine(TextBuffer &out, const CivilTime &localTime, const char *reason,
                     const char *newline)
{
    out.appendIsoMs(localTime, false);
    out.append(' ');
    out.append(reason);
    // The line end must survive a cut reason so the next line starts cleanly.
    const std::size_t newlineLength = [newline] {
        std::size_t n = 0;
        while (newline && newline[n])
            ++n;
        return n;
    }();
    if (out.length + newlineLength + 1 > out.capacity && out.capacity > newlineLength) {
        out.length = out.capacity - newlineLength - 1;
        out.data[out.length] = '\0';
        out.truncated = true;
    }
    out.append(newline);
}

bool restartMarkerIsRecent(std::int64_t markerModifiedMs, std::int64_t nowMs)
{
    return nowMs - markerModifiedMs < kRestartGuardMs;
}

bool isBlankText(const char *text)
{
    return blank(text);
}

bool isBlankText(const wchar_t *text)
{
    return blank(text);
}

} // namespace platform
