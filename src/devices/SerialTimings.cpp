#include "devices/SerialTimings.h"

QVector<int> SerialTimings::defaultReconnectDelaysMs()
{
    return {1200, 2500, 5000, 9000, 15000};
}
