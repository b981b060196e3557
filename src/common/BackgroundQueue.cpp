#include "common/BackgroundQueue.h"

BackgroundQueue::BackgroundQueue(QObject *parent) : QObject(parent)
{
    // One thread: jobs run in submission order, so results come back in it too.
    m_pool.setMaxThreadCount(1);
    // Parsing a big snapshot needs more than the default stack on some platforms.
    m_pool.setStackSize(8 * 1024 * 1024);
}

BackgroundQueue::~BackgroundQueue()
{
    m_pool.waitForDone();
}
