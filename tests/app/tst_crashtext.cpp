// The allocation-free text building of the crash handlers, the Windows restart command
// line and the single-instance key, checked against independent references.
#include "app/SingleInstanceGuard.h"
#include "platform/CrashText.h"
#include "platform/RestartCommandLine.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QTest>

using namespace platform;

namespace {

QString isoOf(const CivilTime &time, bool utc)
{
    char storage[64];
    TextBuffer text(storage, sizeof storage);
    text.appendIsoMs(time, utc);
    return QString::fromLatin1(text.data, int(text.length));
}

QString w(const std::wstring &text)
{
    return QString::fromStdWString(text);
}

} // namespace

class TestCrashText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void civilTimeMatchesQt();
    void crashLineLayoutAndLimits();
    void restartGuardWindow();
    void restartCommandLine();
    void instanceKeyAndNames();
};

void TestCrashText::civilTimeMatchesQt()
{
    QList<qint64> samples = {0, -1, 951782399999LL /* 2000-02-28T23:59:59.999 */,
                             951868800000LL /* 2000-03-01 */, 1709251199999LL /* leap day end */,
                             4102444800000LL /* 2100-01-01 */, -2208988800001LL};
    auto *random = QRandomGenerator::global();
    for (int i = 0; i < 2000; ++i)
        samples.append(random->bounded(-5000000000000LL, 7000000000000LL));

    for (const qint64 ms : samples) {
        const QString expected = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC)
                                     .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
        QCOMPARE(isoOf(civilTimeFromUnixMs(ms), false), expected);
    }
    // The marker's UTC stamp reads back as the same instant.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const QDateTime parsed = QDateTime::fromString(isoOf(civilTimeFromUnixMs(now), true), Qt::ISODateWithMs);
    QVERIFY(parsed.isValid());
    QCOMPARE(parsed.toMSecsSinceEpoch(), now);
}

void TestCrashText::crashLineLayoutAndLimits()
{
    char storage[128];
    TextBuffer line(storage, sizeof storage);
    formatCrashLine(line, civilTimeFromUnixMs(1733390400123LL), "crash_signal:11", "\n");
    QCOMPARE(QByteArray(line.data), QByteArray("2024-12-05T09:20:00.123 crash_signal:11\n"));
    QVERIFY(!line.truncated);
    QCOMPARE(line.length, std::strlen(storage));

    // A reason longer than the buffer is cut but the line still ends.
    char small[40];
    TextBuffer cut(small, sizeof small);
    formatCrashLine(cut, civilTimeFromUnixMs(0), "windows_unhandled_exception:0xC0000005 x", "\r\n");
    QVERIFY(cut.truncated);
    QCOMPARE(cut.length, sizeof small - 1);
    QVERIFY(QByteArray(cut.data).startsWith("1970-01-01T00:00:00.000 windows_"));
    QVERIFY(QByteArray(cut.data).endsWith("\r\n"));

    char numbers[64];
    TextBuffer hex(numbers, sizeof numbers);
    hex.appendNumber(0xC0000005u, 16);
    hex.append(' ');
    hex.appendNumber(0x7FF6A1B2C3D4ull, 16);
    hex.append(' ');
    hex.appendSigned(-42);
    hex.append(' ');
    hex.appendNumber(7, 10, 3);
    QCOMPARE(QByteArray(hex.data), QByteArray("C0000005 7FF6A1B2C3D4 -42 007"));

    // A zero-capacity buffer never writes.
    TextBuffer none(numbers, 0);
    none.append("x");
    QVERIFY(none.truncated);
    QCOMPARE(none.length, std::size_t(0));
}

void TestCrashText::restartGuardWindow()
{
    const qint64 now = 1733390400000LL;
    QVERIFY(restartMarkerIsRecent(now - 10000, now));
    QVERIFY(restartMarkerIsRecent(now - 19999, now));
    QVERIFY(!restartMarkerIsRecent(now - 20000, now));
    QVERIFY(!restartMarkerIsRecent(now - 3600000, now));
    // A marker stamped ahead of the clock still blocks a loop of restarts.
    QVERIFY(restartMarkerIsRecent(now + 5000, now));

    QVERIFY(isBlankText(static_cast<const char *>(nullptr)));
    QVERIFY(isBlankText(" \t\r\n"));
    QVERIFY(!isBlankText(" a "));
    QVERIFY(isBlankText(L"  "));
    QVERIFY(!isBlankText(L"\x0416"));
}

void TestCrashText::restartCommandLine()
{
    QCOMPARE(w(quoteRestartValue(L"plain")), QStringLiteral("\"plain\""));
    QCOMPARE(w(quoteRestartValue(L"say \"hi\"")), QStringLiteral("\"say \\\"hi\\\"\""));
    QCOMPARE(w(quoteRestartValue(L"")), QStringLiteral("\"\""));

    QCOMPARE(w(chooseCommandShell(L"D:/Tools/cmd.exe")), QStringLiteral("D:\\Tools\\cmd.exe"));
    QCOMPARE(w(chooseCommandShell(L"")), QStringLiteral("C:\\Windows\\System32\\cmd.exe"));
    QCOMPARE(w(chooseCommandShell(std::wstring(259, L'a'))), QString(259, QLatin1Char('a')));
    QCOMPARE(w(chooseCommandShell(std::wstring(260, L'a'))), QStringLiteral("C:\\Windows\\System32\\cmd.exe"));

    const std::wstring line = buildRestartCommandLine(
        L"C:\\Windows\\system32\\cmd.exe", L"C:/Program Files/Vorn/VornClient.exe",
        {L"--name=\"Резак 1\"", L"   ", L"", L" spaced "}, 6);
    QCOMPARE(w(line), QStringLiteral("\"C:\\Windows\\system32\\cmd.exe\" /D /C timeout /T 6 /NOBREAK >NUL & "
                            "start \"\" \"C:\\Program Files\\Vorn\\VornClient.exe\" "
                            "\"--name=\\\"Резак 1\\\"\" \" spaced \""));

    const QString noArguments = w(buildRestartCommandLine(L"cmd.exe", L"C:\\a.exe", {}, 0));
    QCOMPARE(noArguments, QStringLiteral("\"cmd.exe\" /D /C timeout /T 1 /NOBREAK >NUL & "
                                         "start \"\" \"C:\\a.exe\""));
}

void TestCrashText::instanceKeyAndNames()
{
    // References computed with an independent SHA-1 tool.
    QCOMPARE(SingleInstanceGuard::instanceKey(QStringLiteral("/home/operator/.local/share/VornClient/VornClient")),
             QStringLiteral("809fefdeffb955c567e510d9"));
    const QString cyrillic = QStringLiteral("C:/Users/Оператор/AppData/Roaming/VornClient/VornClient");
    QCOMPARE(SingleInstanceGuard::instanceKey(cyrillic), QStringLiteral("16cf11b017280cc0a8425faf"));
    QCOMPARE(SingleInstanceGuard::serverNameFor(cyrillic),
             QStringLiteral("VornClientDesktop-16cf11b017280cc0a8425faf"));
    // Different folders, different keys; the same folder, the same key.
    QVERIFY(SingleInstanceGuard::instanceKey(QStringLiteral("/a"))
            != SingleInstanceGuard::instanceKey(QStringLiteral("/b")));
}

QTEST_GUILESS_MAIN(TestCrashText)
#include "tst_crashtext.moc"
