#include "settings/TenantProfile.h"

#include <QSignalSpy>
#include <QTest>

class TenantProfileTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void patchesAndDefaults()
    {
        TenantProfile profile;
        QSignalSpy changed(&profile, &TenantProfile::changed);
        QVERIFY(profile.consumableBoxesEnabled());
        QCOMPARE(profile.qrMaterialsTitle(), QStringLiteral("QR материалов"));

        profile.applyTenantSettings({{QStringLiteral("consumableBoxesEnabled"), false},
                                     {QStringLiteral("qrBoxesTitle"), QStringLiteral("  ")}});
        QVERIFY(!profile.consumableBoxesEnabled());
        QCOMPARE(profile.qrBoxesTitle(), QStringLiteral("QR коробок"));
        QCOMPARE(changed.count(), 1);

        profile.applyTenantSettings({});
        QVERIFY(!profile.consumableBoxesEnabled());
        QVERIFY(profile.consumableInksEnabled());
        QCOMPARE(changed.count(), 2);

        profile.applyTenantSettings({{QStringLiteral("consumableInksEnabled"), QStringLiteral("нет")},
                                     {QStringLiteral("consumableBoxesEnabled"), 1},
                                     {QStringLiteral("consumableMaterialsTitle"), QStringLiteral(" Ткани ")},
                                     {QStringLiteral("qrInksTitle"), QStringLiteral("QR красок")}});
        QVERIFY(!profile.consumableInksEnabled());
        QVERIFY(profile.consumableBoxesEnabled());
        QCOMPARE(profile.consumableMaterialsTitle(), QStringLiteral("Ткани"));
        QCOMPARE(profile.qrInksTitle(), QStringLiteral("QR красок"));
        QCOMPARE(profile.property("consumableMaterialsTitle").toString(), QStringLiteral("Ткани"));

        profile.resetDefaults();
        QCOMPARE(changed.count(), 4);
        QVERIFY(profile.consumableInksEnabled());
        QCOMPARE(profile.consumableMaterialsTitle(), QStringLiteral("Материалы"));
        QCOMPARE(profile.qrInksTitle(), QStringLiteral("QR чернил"));
    }
};

QTEST_GUILESS_MAIN(TenantProfileTest)
#include "tst_tenant_profile.moc"
