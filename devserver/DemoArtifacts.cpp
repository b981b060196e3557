#include "DemoData.h"

#include <QByteArray>

namespace {

// A one-page 58 x 40 mm PDF, enough for a label viewer to open.
QByteArray demoLabelPdf()
{
    return QByteArrayLiteral(
        "%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
        "2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n"
        "3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 164 113]>>endobj\n"
        "trailer<</Root 1 0 R>>\n%%EOF\n");
}

} // namespace

QJsonArray demoArtifacts()
{
    return QJsonArray{
        // The print queue of the picture line, as text.
        QJsonObject{{"artifact_key", "demo-art-1"}, {"kind", "picture_print_queue_txt"},
                    {"filename", "очередь_картин.txt"},
                    {"content_text", "P01A2B3C4D;Картина 40x60;холст\nP01E5F6G7H;Картина 30x40;холст\n"}},
        // A ready WB label file.
        QJsonObject{{"artifact_key", "demo-art-2"}, {"type", "label"}, {"marketplace", "wb"},
                    {"filename", "расход_К_Лес_2489121720.pdf"},
                    {"content_b64", QString::fromLatin1(demoLabelPdf().toBase64())}},
        // A name that tries to leave its folder: it must land inside the Ozon supply folder.
        QJsonObject{{"artifact_key", "demo-art-3"}, {"kind", "supply_label"}, {"destination", "supply"},
                    {"marketplace", "ozon"}, {"filename", "..\\..\\Windows\\System32\\drivers\\etc\\hosts"},
                    {"content_text", "127.0.0.1 vorn.example\n"}},
        // A label the workshop cancelled: its local file changes its prefix.
        QJsonObject{{"artifact_key", "demo-art-4"}, {"action", "local_artifact_rename"}, {"marketplace", "wb"},
                    {"production_code", "2489121720"}, {"to_prefix", "отменен"}},
    };
}
