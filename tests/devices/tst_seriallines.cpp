#include "DeviceTestSupport.h"

#include "devices/RepeatFilter.h"
#include "devices/SerialLineFramer.h"
#include "devices/SerialPortList.h"
#include "platform/NativeStringQt.h"
#include "platform/SerialPlatform.h"

#include <QtTest>

using Result = SerialLineFramer::Result;
Q_DECLARE_METATYPE(SerialLineFramer::Result)

namespace {
QByteArray lines(int count, const QByteArray &text = QByteArrayLiteral("L"))
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += text + QByteArray::number(i) + "\r\n";
    return bytes;
}

QStringList numbered(int count)
{
    QStringList texts;
    for (int i = 1; i <= count; ++i)
        texts << QStringLiteral("L%1").arg(i);
    return texts;
}
} // namespace

// The rules of the serial line path that need no port: framing and its flood guards,
// bounce suppression, the offered port list and the port-name check.
class SerialLinesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void framer_data()
    {
        QTest::addColumn<QList<QByteArray>>("reads");
        QTest::addColumn<int>("msBetweenReads");
        QTest::addColumn<bool>("flush");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<Result>("result");
        QTest::addColumn<int>("leftBytes");

        const QByteArray x600(600, 'x');
        QTest::newRow("crlf, lfcr, blank and blank-only lines separate")
            << QList<QByteArray>{"ABC\r\n\r\nDEF\n\rGHI\r\n\r\n\n   \r\nJKL\n"} << 0 << false
            << QStringList{"ABC", "DEF", "GHI", "JKL"} << Result::Ok << 0;
        QTest::newRow("a line over two reads") << QList<QByteArray>{"AB", "C\r"} << 0 << false
                                               << QStringList{"ABC"} << Result::Ok << 0;
        QTest::newRow("utf-8 split between reads")
            << QList<QByteArray>{"\xd0", "\x98\xd0\xbc\xd1\x8f\n"} << 0 << false
            << QStringList{QStringLiteral("Имя")} << Result::Ok << 0;
        QTest::newRow("unterminated waits for the idle flush")
            << QList<QByteArray>{"ABC\r\nDEF"} << 0 << false << QStringList{"ABC"} << Result::Ok << 3;
        QTest::newRow("idle flush takes the rest as a line, trimmed")
            << QList<QByteArray>{"A\nB\n  P01ABCDEFG "} << 0 << true
            << QStringList{"A", "B", "P01ABCDEFG"} << Result::Ok << 0;
        QTest::newRow("over-long line cut to 512") << QList<QByteArray>{x600 + "\r\n"} << 0 << false
                                                   << QStringList{QString(512, 'x')} << Result::Ok << 0;
        QTest::newRow("read of 4096 bytes is taken") << QList<QByteArray>{QByteArray(4096, 'A')} << 0
                                                     << false << QStringList{} << Result::Ok << 4096;
        QTest::newRow("read of 4097 bytes stops") << QList<QByteArray>{QByteArray(4097, 'A')} << 0
                                                  << false << QStringList{} << Result::TooManyBytes << 0;
        QTest::newRow("buffer of 8192 bytes is taken")
            << QList<QByteArray>{QByteArray(4096, 'A'), QByteArray(4096, 'A')} << 0 << false
            << QStringList{} << Result::Ok << 8192;
        QTest::newRow("buffer beyond 8192 bytes stops, earlier lines delivered")
            << QList<QByteArray>{"OK\n" + QByteArray(4000, 'A'), QByteArray(4096, 'A'), QByteArray(200, 'A')}
            << 0 << false << QStringList{"OK"} << Result::TooManyBytes << 0;
        QTest::newRow("blank lines count toward the rate")
            << QList<QByteArray>{QByteArray("   \n").repeated(80), "X\n"} << 0 << false << QStringList{}
            << Result::TooManyLines << 0;
        QTest::newRow("a window lasts 1000 ms")
            << QList<QByteArray>{lines(80), "L81\n"} << 1000 << false << numbered(80) << Result::TooManyLines << 0;
        QTest::newRow("after 1001 ms a new window opens")
            << QList<QByteArray>{lines(80), "L81\n"} << 1001 << false << numbered(81) << Result::Ok << 0;
    }

    void framer()
    {
        QFETCH(QList<QByteArray>, reads);
        QFETCH(int, msBetweenReads);
        QFETCH(bool, flush);
        QFETCH(QStringList, expected);
        QFETCH(Result, result);
        QFETCH(int, leftBytes);

        TestClock clock;
        SerialLineFramer framer(80, clock);
        QStringList delivered;
        Result last = Result::Ok;
        for (const QByteArray &read : reads) {
            last = framer.feed(read, &delivered);
            if (last != Result::Ok)
                break;
            clock.advance(msBetweenReads);
        }
        if (flush && last == Result::Ok)
            last = framer.flush(&delivered);
        QCOMPARE(delivered, expected);
        QCOMPARE(last, result);
        if (last != Result::TooManyBytes)
            QCOMPARE(framer.bufferedBytes(), leftBytes);
        else
            QVERIFY(framer.bufferedBytes() <= SerialLineFramer::kMaxBufferedBytes);
    }

    void bounce_data()
    {
        // Each event "ms:text"; expected: the texts that pass, in order.
        QTest::addColumn<int>("windowMs");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QStringList>("passed");

        QTest::newRow("window is under 400 ms") << 400 << QStringList{"0:A", "399:A", "400:A"} << QStringList{"A", "A"};
        QTest::newRow("a dropped bounce does not extend the window")
            << 400 << QStringList{"0:A", "300:A", "450:A"} << QStringList{"A", "A"};
        QTest::newRow("compared with the last one only")
            << 400 << QStringList{"0:A", "10:B", "20:A"} << QStringList{"A", "B", "A"};
        QTest::newRow("letter case matters") << 400 << QStringList{"0:abc", "5:ABC"} << QStringList{"abc", "ABC"};
        QTest::newRow("card line repeated within 250 ms")
            << 250 << QStringList{"0:RFID:1", "249:RFID:1", "250:RFID:1"} << QStringList{"RFID:1", "RFID:1"};
    }

    void bounce()
    {
        QFETCH(int, windowMs);
        QFETCH(QStringList, events);
        QFETCH(QStringList, passed);

        TestClock clock;
        RepeatFilter filter(windowMs, clock);
        QStringList accepted;
        qint64 at = 0;
        for (const QString &event : std::as_const(events)) {
            const qsizetype colon = event.indexOf(QLatin1Char(':'));
            const qint64 ms = event.left(colon).toLongLong();
            clock.advance(ms - at);
            at = ms;
            const QString text = event.mid(colon + 1);
            if (filter.accept(text))
                accepted << text;
        }
        QCOMPARE(accepted, passed);
    }

    void offeredPorts()
    {
        const QStringList present{"COM1", "com2", "COM3"};
        QCOMPARE(SerialPortList::offeredPorts(present, "com2", true), present);
        QCOMPARE(SerialPortList::offeredPorts(present, " ", true), present);
        // A configured port that is missing heads the list, or is sorted in without regard to case.
        QCOMPARE(SerialPortList::offeredPorts(present, "COM9", true), (QStringList{"COM9", "COM1", "com2", "COM3"}));
        QCOMPARE(SerialPortList::offeredPorts(present, "com25", false), (QStringList{"COM1", "com2", "com25", "COM3"}));
        QVERIFY(SerialPortList::containsPort(present, QStringLiteral(" com3 ")));
    }

    void portNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("device path") << QStringLiteral("/dev/ttyUSB0") << true;
        QTest::newRow("windows name") << QStringLiteral("COM3") << true;
        QTest::newRow("non-ascii path") << QStringLiteral("/tmp/сканер") << true;
        QTest::newRow("nul inside") << QStringLiteral("/dev/ttyS0") + QChar(0) + QStringLiteral("x") << false;
        QTest::newRow("line feed") << QStringLiteral("/dev/ttyS0\n") << false;
        QTest::newRow("delete") << QStringLiteral("COM3\x7f") << false;
    }

    void portNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, allowed);
        QCOMPARE(platform::serialPortNameAllowed(platform::toNativePath(name)), allowed);
    }
};

QTEST_GUILESS_MAIN(SerialLinesTest)
#include "tst_seriallines.moc"
