#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>

#include <functional>

class AppSettings;
class Journal;

// Sticker PDFs of marketplace supplies, one folder per marketplace (WB, Ozon): lists,
// opens and prints them and makes new 58 × 40 mm stickers with a Code 128 barcode.
class SupplyLabelsService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariantList labelFiles READ labelFiles NOTIFY changed)
    Q_PROPERTY(int labelCount READ labelCount NOTIFY changed)
    Q_PROPERTY(QString labelsDir READ labelsDir NOTIFY changed)
    Q_PROPERTY(QString selectedMarketplace READ selectedMarketplace NOTIFY changed)

public:
    // path, printer name (empty: default), error text out, copies
    using PrintFunction = std::function<bool(const QString &, const QString &, QString *, int)>;

    SupplyLabelsService(AppSettings *settings, Journal *eventLog, QObject *parent = nullptr);

    QVariantList labelFiles() const { return m_labelFiles; }
    int labelCount() const { return int(m_labelFiles.size()); }
    QString labelsDir() const;
    QString selectedMarketplace() const { return m_marketplace; }

    Q_INVOKABLE void reload();
    Q_INVOKABLE void setSelectedMarketplace(const QString &marketplace);
    Q_INVOKABLE bool openFolder();
    Q_INVOKABLE bool openFile(const QString &fileName);
    Q_INVOKABLE bool printFile(const QString &fileName, int copies = 1);
    Q_INVOKABLE QString createLabelPdf(const QString &barcode, const QString &sku,
                                       const QString &wbArticle, bool printAfter = false);

    // "ozon" for Ozon in its usual spellings, "wb" for everything else.
    static QString normalizeMarketplace(const QString &marketplace);
    // The SKU (or barcode) part of a sticker's file name.
    static QString safeFileNamePart(const QString &text);
    // printLabelFile unless replaced.
    void setPrintFunction(PrintFunction print);

Q_SIGNALS:
    void changed();

private:
    QString marketplaceTitle() const;

    AppSettings *m_settings;
    Journal *m_eventLog;
    PrintFunction m_print;
    QString m_marketplace = QStringLiteral("wb");
    QVariantList m_labelFiles;
    QString m_listedDir;
};
