#include "supplies/Code128B.h"

namespace {

// The standard patterns of values 0 … 106: bar, space, bar, space, bar, space (bar).
constexpr const char *kPatterns[] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212",
    "221213", "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221",
    "223211", "221132", "221231", "213212", "223112", "312131", "311222", "321122", "321221",
    "312212", "322112", "322211", "212123", "212321", "232121", "111323", "131123", "131321",
    "112313", "132113", "132311", "211313", "231113", "231311", "112133", "112331", "132131",
    "113123", "113321", "133121", "313121", "211331", "231131", "213113", "213311", "213131",
    "311123", "311321", "331121", "312113", "312311", "332111", "314111", "221411", "431111",
    "111224", "111422", "121124", "121421", "141122", "141221", "112214", "112412", "122114",
    "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111", "111242",
    "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311",
    "113141", "114131", "311141", "411131", "211412", "211214", "211232", "2331112",
};
constexpr int kPatternCount = int(sizeof(kPatterns) / sizeof(kPatterns[0]));
static_assert(kPatternCount == 107, "Code 128 has 107 patterns");

} // namespace

QVector<int> Code128B::dataValues(const QString &text)
{
    // Counted by code point, so an emoji is one blank and not two.
    QVector<int> values;
    for (const char32_t code : text.toUcs4())
        values << ((code >= 32 && code <= 126) ? int(code) - 32 : 0);
    return values;
}

int Code128B::checksum(const QVector<int> &dataValues)
{
    int sum = kStartB;
    for (int i = 0; i < dataValues.size(); ++i)
        sum = (sum + dataValues.at(i) * (i + 1)) % 103;
    return sum;
}

QVector<int> Code128B::symbolValues(const QString &text)
{
    if (text.isEmpty())
        return {};
    const QVector<int> data = dataValues(text);
    QVector<int> values;
    values.reserve(data.size() + 3);
    values << kStartB << data << checksum(data) << kStop;
    return values;
}

QVector<int> Code128B::moduleWidths(const QString &text)
{
    QVector<int> widths;
    for (const int value : symbolValues(text)) {
        for (const char digit : QByteArray(kPatterns[value]))
            widths << (digit - '0');
    }
    return widths;
}

int Code128B::moduleCount(const QString &text)
{
    return text.isEmpty() ? 0 : kSymbolModules * (int(dataValues(text).size()) + 2) + kStopModules;
}

QString Code128B::pattern(int value)
{
    return (value >= 0 && value < kPatternCount) ? QString::fromLatin1(kPatterns[value]) : QString();
}
