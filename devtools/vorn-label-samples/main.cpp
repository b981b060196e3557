// Writes one sample of every label kind the client makes into a folder, as PDF:
// sticker, badge, cutter, wall and material labels. scripts/make-label-pictures.sh
// turns them into the README's pictures.
//
//   vorn-label-samples <folder>
#include "common/AtomicFile.h"
#include "supplies/SupplySticker.h"
#include "tools/LocalToolsService.h"
#include "tools/WorkstationLabels.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() != 2) {
        err << "usage: vorn-label-samples <folder>\n";
        return 2;
    }
    const QDir out(args.at(1));
    QDir().mkpath(out.path());

    SupplySticker sticker;
    sticker.title = QStringLiteral("WB");
    sticker.barcode = QStringLiteral("4600000000001");
    sticker.sku = QStringLiteral("Кружка белая 330 мл");
    sticker.articleLabel = QStringLiteral("Артикул WB");
    sticker.article = QStringLiteral("187654321");

    const QString employee = QStringLiteral("{\"type\":\"employee\",\"id\":\"E-17\",\"name\":\"Пётр Иванов\"}");
    const QList<QPair<QString, QByteArray>> samples = {
        { QStringLiteral("sticker.pdf"), sticker.toPdf() },
        { QStringLiteral("badge.pdf"),
          WorkstationLabels::badge(QStringLiteral("Пётр Иванов"), QStringLiteral("Резчик"), QStringLiteral("E-17"),
                                   employee).pdf },
        { QStringLiteral("cutter.pdf"), WorkstationLabels::cutter(QStringLiteral("Резак 3"), QStringLiteral("CUTTER:3")).pdf },
        { QStringLiteral("wall.pdf"),
          WorkstationLabels::wall(QStringLiteral("Чернила голубые 1 л"), QString(), QStringLiteral("Списание по QR"),
                                  LocalToolsService::wallPayload(QStringLiteral("{\"tab\":\"inks\",\"item\":\"cyan-1l\"}")))
              .pdf },
        { QStringLiteral("material.pdf"),
          WorkstationLabels::wall(QStringLiteral("Баннер 440"), QStringLiteral("QR материала"),
                                  QStringLiteral("Баннер 440 · 12.50 м"),
                                  LocalToolsService::wallPayload(LocalToolsService::materialPayload(QStringLiteral("R-88"))))
              .pdf },
    };
    int failures = 0;
    for (const auto &sample : samples) {
        if (sample.second.isEmpty() || !writeFileAtomically(out.filePath(sample.first), sample.second)) {
            err << "cannot write " << out.filePath(sample.first) << '\n';
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
