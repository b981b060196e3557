#include "FuzzSupport.h"

#include "common/ProductionCode.h"

#include <cstdlib>

// A scan of any text yields either nothing or a code the pattern itself accepts.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString code = extractProductionCode(fuzzText(data, size));
    if (code.isEmpty())
        return 0;
    if (code.size() != 10 || !code.startsWith(QLatin1Char('P'))
        || !productionCodePattern().match(code).hasMatch())
        abort();
    if (extractProductionCode(code) != code)
        abort();
    return 0;
}
