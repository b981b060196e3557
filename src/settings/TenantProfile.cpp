#include "settings/TenantProfile.h"

#include "common/JsonRead.h"

TenantProfile::TenantProfile(QObject *parent)
    : QObject(parent)
{
    setDefaults();
}

void TenantProfile::setDefaults()
{
    m_inksEnabled = m_boxesEnabled = m_materialsEnabled = true;
    m_inksTitle = QStringLiteral("Чернила");
    m_boxesTitle = QStringLiteral("Коробки");
    m_materialsTitle = QStringLiteral("Материалы");
    m_qrInksTitle = QStringLiteral("QR чернил");
    m_qrBoxesTitle = QStringLiteral("QR коробок");
    m_qrMaterialsTitle = QStringLiteral("QR материалов");
}

void TenantProfile::applyTenantSettings(const QVariantMap &patch)
{
    auto flag = [&patch](const QString &key, bool &field) {
        if (patch.contains(key))
            field = variantToBool(patch.value(key), field);
    };
    auto title = [&patch](const QString &key, QString &field) {
        const QString text = variantToText(patch.value(key));
        if (!text.isEmpty())
            field = text;
    };
    flag(QStringLiteral("consumableInksEnabled"), m_inksEnabled);
    flag(QStringLiteral("consumableBoxesEnabled"), m_boxesEnabled);
    flag(QStringLiteral("consumableMaterialsEnabled"), m_materialsEnabled);
    title(QStringLiteral("consumableInksTitle"), m_inksTitle);
    title(QStringLiteral("consumableBoxesTitle"), m_boxesTitle);
    title(QStringLiteral("consumableMaterialsTitle"), m_materialsTitle);
    title(QStringLiteral("qrInksTitle"), m_qrInksTitle);
    title(QStringLiteral("qrBoxesTitle"), m_qrBoxesTitle);
    title(QStringLiteral("qrMaterialsTitle"), m_qrMaterialsTitle);
    Q_EMIT changed();
}

void TenantProfile::resetDefaults()
{
    setDefaults();
    Q_EMIT changed();
}
