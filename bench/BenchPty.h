#pragma once

// What the scan benchmarks share: a raw pseudo-terminal standing in for a scanner's
// serial port, and percentiles of a series of microsecond figures.

#include <QString>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

struct Pty
{
    int master = -1;
    int slave = -1; // held open so the client's reconnects never hang the line up
    QString path;
};

inline bool openPty(Pty *pty)
{
    pty->master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (pty->master < 0 || ::grantpt(pty->master) != 0 || ::unlockpt(pty->master) != 0)
        return false;
    pty->path = QString::fromLocal8Bit(::ptsname(pty->master));
    pty->slave = ::open(::ptsname(pty->master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio {};
    ::tcgetattr(pty->slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(pty->slave, TCSANOW, &tio);
    return pty->slave >= 0;
}

inline double percentile(std::vector<qint64> sorted, double p)
{
    std::sort(sorted.begin(), sorted.end());
    const size_t index = std::min(sorted.size() - 1, size_t(p * double(sorted.size() - 1) + 0.5));
    return double(sorted.at(index)) / 1000.0;
}

