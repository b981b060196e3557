#include "FuzzSupport.h"

#include "serverlink/ServerRequest.h"
#include "settings/AppSettings.h"

#include <cstdlib>

// Any body with any status, judged the way every reply handler reads it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const int statuses[] = {200, 201, 204, 301, 400, 401, 403, 404, 409, 423, 429, 500, 502, 503};
    static bool once = [] {
        AppSettings::setDataDirectoryOverride(fuzzScratchDir());
        return true;
    }();
    (void)once;
    static AppSettings settings;

    FuzzInput input(data, size);
    const uint8_t status = input.takeByte();
    const uint8_t flags = input.takeByte();

    ServerReply reply;
    reply.httpStatus = statuses[status % (sizeof statuses / sizeof statuses[0])];
    reply.body = input.restBytes();
    ServerReplyOptions options;
    options.classify = static_cast<ServerReplyOptions::Classify>(flags % 3);
    options.bodyAsFallbackMessage = flags & 4;
    judgeServerReplyBody(reply, &settings, options);

    if (reply.accepted && !reply.isObject)
        abort();
    if (reply.isObject && !reply.isJson)
        abort();
    if (reply.bodyText.size() > 4096) // the quote is meant for one journal line
        abort();
    describeServerStatus(reply.rejection);
    describeNetworkError(reply.bodyText);
    return 0;
}
