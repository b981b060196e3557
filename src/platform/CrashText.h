#pragma once

#include <cstddef>
#include <cstdint>

// Text building for the crash handlers: no allocation, no locale, no library state,
// so every function here may run inside a signal handler or an exception filter.
namespace platform {

constexpr int kRestartDelaySeconds = 6;
constexpr std::int64_t kRestartGuardMs = 20000;

struct CivilTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Proleptic Gregorian calendar fields of a Unix time in milliseconds (no time zone applied).
CivilTime civilTimeFromUnixMs(std::int64_t unixMs);

// A fixed-capacity, always NUL-terminated text buffer. Text that does not fit is cut and
// `truncated` is set.
struct TextBuffer {
    char *data;
    std::size_t capacity;
    std::size_t length = 0;
    bool truncated = false;

    TextBuffer(char *storage, std::size_t storageCapacity);
    void append(const char *text);
    void append(char c);
    void appendNumber(std::uint64_t value, unsigned base = 10, int minDigits = 1);
    void appendSigned(std::int64_t value);
    // "yyyy-MM-ddTHH:mm:ss.zzz", followed by "Z" when utcSuffix is set.
    void appendIsoMs(const CivilTime &time, bool utcSuffix);
};

// "<local time> <reason><newline>" as the crash log holds it.
void formatCrashLine(TextBuffer &out, const CivilTime &localTime, const char *reason,
                     const char *newline);

// True when a restart marker written at markerModifiedMs is too fresh for another
// restart: less than 20 seconds before now.
bool restartMarkerIsRecent(std::int64_t markerModifiedMs, std::int64_t nowMs);

// True for null, empty or whitespace-only text (arguments like that are not passed on).
bool isBlankText(const char *text);
bool isBlankText(const wchar_t *text);

} // namespace platform
