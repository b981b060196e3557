// The settings files under damage: a broken identity, file modes, absurd numbers.
#include "SettingsSandbox.h"

#include "settings/AppSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <memory>

namespace {

const QString kKey = QStringLiteral("vorn-key-7f3a9c");
const QFileDevice::Permissions kModeBits = QFileDevice::Permissions(0x7077);
const QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QByteArray goodIdentity()
{
    return QJsonDocument(QJsonObject{{"tenantId", "t-1"},
                                     {"deviceId", "pc-1"},
                                     {"serverUrl", "https://vorn.example"},
                                     {"apiKey", kKey},
                                     {"onboardingCompleted", true}}).toJson();
}

} // namespace

class SettingsRobustnessTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_box = std::make_unique<SettingsSandbox>(); QVERIFY(m_box->isValid()); }
    void cleanup() { m_box.reset(); }

    void damagedIdentityIsReadFromItsBackup_data()
    {
        QTest::addColumn<QByteArray>("damage");
        QTest::addColumn<bool>("directory");
        QTest::addRow("truncated") << goodIdentity().left(40) << false;
        QTest::addRow("empty") << QByteArray() << false;
        QTest::addRow("array") << QByteArray("[1,2,3]") << false;
        QTest::addRow("null") << QByteArray("null") << false;
        QTest::addRow("empty object") << QByteArray("{}") << false;
        QTest::addRow("invalid UTF-8") << QByteArray("{\"apiKey\":\"\xff\xfe\xc3\"}") << false;
        QTest::addRow("a directory in its place") << QByteArray() << true;
    }

    void damagedIdentityIsReadFromItsBackup()
    {
        QFETCH(QByteArray, damage);
        QFETCH(bool, directory);
        QVERIFY(m_box->write(QStringLiteral("identity.json.bak"), goodIdentity()));
        if (directory)
            QVERIFY(QDir().mkpath(m_box->file(QStringLiteral("identity.json"))));
        else
            QVERIFY(m_box->write(QStringLiteral("identity.json"), damage));

        {
            AppSettings settings;
            settings.load();
            QCOMPARE(settings.apiKey(), kKey);
            QCOMPARE(settings.tenantId(), QStringLiteral("t-1"));
            QVERIFY(!settings.onboardingRequired());
            // Two saves later a file still holds the key.
            settings.setOperatorName(QStringLiteral("Оля"));
            settings.save();
            settings.setOperatorName(QStringLiteral("Ира"));
            settings.save();
        }
        QCOMPARE(QJsonDocument::fromJson(m_box->read(QStringLiteral("identity.json.bak")))
                     .object().value("apiKey").toString(), kKey);
        AppSettings again;
        again.load();
        QCOMPARE(again.apiKey(), kKey);
        if (!directory)
            QCOMPARE(QJsonDocument::fromJson(m_box->read(QStringLiteral("identity.json")))
                         .object().value("apiKey").toString(), kKey);
    }

    void identityAndItsBackupAreOwnerOnly()
    {
        // An older installation left a world-readable identity behind.
        QVERIFY(m_box->write(QStringLiteral("identity.json"), goodIdentity()));
        QVERIFY(QFile::setPermissions(m_box->file(QStringLiteral("identity.json")),
                                      kOwnerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        QVERIFY(m_box->write(QStringLiteral("settings.json"), "{\"operatorName\":\"a\"}"));
        const QFileDevice::Permissions settingsMode = QFileInfo(m_box->file(QStringLiteral("settings.json"))).permissions() & kModeBits;

        AppSettings settings;
        settings.load();
        settings.setOperatorName(QStringLiteral("b"));
        QVERIFY(settings.save());
        settings.setOperatorName(QStringLiteral("c"));
        QVERIFY(settings.save());
        for (const QString &name : {QStringLiteral("identity.json"), QStringLiteral("identity.json.bak")})
            QCOMPARE(QFileInfo(m_box->file(name)).permissions() & kModeBits, kOwnerOnly);
        // Other files keep their own mode, and so do their backups.
        QCOMPARE(QFileInfo(m_box->file(QStringLiteral("settings.json"))).permissions() & kModeBits, settingsMode);
        QCOMPARE(QFileInfo(m_box->file(QStringLiteral("settings.json.bak"))).permissions() & kModeBits, settingsMode);

        QVERIFY(QFile::setPermissions(m_box->file(QStringLiteral("settings.json")), kOwnerOnly));
        settings.setOperatorName(QStringLiteral("d"));
        QVERIFY(settings.save());
        QCOMPARE(QFileInfo(m_box->file(QStringLiteral("settings.json.bak"))).permissions() & kModeBits, kOwnerOnly);
    }

    void absurdBaudRatesFallBack_data()
    {
        QTest::addColumn<QByteArray>("baud");
        QTest::addColumn<int>("expected");
        QTest::addRow("1e300") << QByteArray("1e300") << 9600;
        QTest::addRow("-1e300") << QByteArray("-1e300") << 9600;
        QTest::addRow("text NaN") << QByteArray("\"NaN\"") << 9600;
        QTest::addRow("text inf") << QByteArray("\"inf\"") << 9600;
        QTest::addRow("huge text") << QByteArray("\"1e300\"") << 9600;
        QTest::addRow("fraction") << QByteArray("19200.7") << 19200;
    }

    void absurdBaudRatesFallBack()
    {
        QFETCH(QByteArray, baud);
        QFETCH(int, expected);
        QVERIFY(m_box->write(QStringLiteral("settings.json"),
                             "{\"comPort\":\"COM3\",\"comBaudRate\":" + baud + ",\"scannerPorts\":[{\"port\":\"COM3\","
                             "\"baudRate\":" + baud + "},{\"port\":\"COM4\",\"baud\":" + baud + "}],\"rfidBaudRate\":"
                                 + baud + "}"));
        AppSettings settings;
        settings.load();
        QCOMPARE(settings.scannerBaudRate(1), expected);
        QCOMPARE(settings.scannerBaudRate(2), expected);
        QCOMPARE(settings.comBaudRate(), expected);
        QCOMPARE(settings.rfidBaudRate(), expected);
    }

private:
    std::unique_ptr<SettingsSandbox> m_box;
};

QTEST_GUILESS_MAIN(SettingsRobustnessTest)
#include "tst_settings_robustness.moc"
