#include "FuzzSupport.h"

#include "production/ScanReplyJudge.h"

#include <QJsonArray>
#include <QJsonDocument>

// The server's answer to an order scan: first line the raw scan, second the
// employee id, then the reply as JSON, or [reply, context] for a scan context.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const QString raw = input.takeLine();
    const QString employeeId = input.takeLine();
    const QJsonDocument document = QJsonDocument::fromJson(input.restBytes());

    QJsonObject reply;
    QVariantMap context;
    if (document.isArray()) {
        reply = document.array().at(0).toObject();
        context = document.array().at(1).toObject().toVariantMap();
    } else {
        reply = document.object();
    }
    const ScanVerdict verdict = ScanReplyJudge::judge(reply, raw, employeeId, context);
    ScanReplyJudge::marketplaceSuffix(reply.value(QLatin1String("result")).toObject());
    (void)verdict;
    return 0;
}
