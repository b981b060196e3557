#pragma once

// What the heartbeat reads from objects that live in layers above the server link:
// the number of events waiting in an outbox, and whether a device connection runs.

class PendingEventsSource
{
public:
    virtual ~PendingEventsSource() = default;
    virtual int pendingCount() const = 0;
};

class RunningDevice
{
public:
    virtual ~RunningDevice() = default;
    virtual bool running() const = 0;
};
