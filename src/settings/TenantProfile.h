#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

// The tenant's choice of consumable kinds and the titles the scene shows for
// them and for their QR pages. Held in memory only.
class TenantProfile : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool consumableInksEnabled READ consumableInksEnabled NOTIFY changed)
    Q_PROPERTY(bool consumableBoxesEnabled READ consumableBoxesEnabled NOTIFY changed)
    Q_PROPERTY(bool consumableMaterialsEnabled READ consumableMaterialsEnabled NOTIFY changed)
    Q_PROPERTY(QString consumableInksTitle READ consumableInksTitle NOTIFY changed)
    Q_PROPERTY(QString consumableBoxesTitle READ consumableBoxesTitle NOTIFY changed)
    Q_PROPERTY(QString consumableMaterialsTitle READ consumableMaterialsTitle NOTIFY changed)
    Q_PROPERTY(QString qrInksTitle READ qrInksTitle NOTIFY changed)
    Q_PROPERTY(QString qrBoxesTitle READ qrBoxesTitle NOTIFY changed)
    Q_PROPERTY(QString qrMaterialsTitle READ qrMaterialsTitle NOTIFY changed)

public:
    explicit TenantProfile(QObject *parent = nullptr);

    bool consumableInksEnabled() const { return m_inksEnabled; }
    bool consumableBoxesEnabled() const { return m_boxesEnabled; }
    bool consumableMaterialsEnabled() const { return m_materialsEnabled; }
    QString consumableInksTitle() const { return m_inksTitle; }
    QString consumableBoxesTitle() const { return m_boxesTitle; }
    QString consumableMaterialsTitle() const { return m_materialsTitle; }
    QString qrInksTitle() const { return m_qrInksTitle; }
    QString qrBoxesTitle() const { return m_qrBoxesTitle; }
    QString qrMaterialsTitle() const { return m_qrMaterialsTitle; }

    // Flags present in the patch are taken as bools; non-empty titles replace
    // the current ones. Always announces a change.
    Q_INVOKABLE void applyTenantSettings(const QVariantMap &patch);
    Q_INVOKABLE void resetDefaults();

Q_SIGNALS:
    void changed();

private:
    void setDefaults();

    bool m_inksEnabled = true;
    bool m_boxesEnabled = true;
    bool m_materialsEnabled = true;
    QString m_inksTitle;
    QString m_boxesTitle;
    QString m_materialsTitle;
    QString m_qrInksTitle;
    QString m_qrBoxesTitle;
    QString m_qrMaterialsTitle;
};
