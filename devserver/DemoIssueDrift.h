#pragma once

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>

struct DevTenant;

// Keeps a tenant's bugs and defects moving so a watching client sees its feed
// change: a new defect, a bug taken into work or fixed, a new bug, the oldest
// defect closed. Every N-th snapshot request takes the next step (N = 0: never);
// "/__dev/issues" takes steps on demand. The summaries follow the lists.
class DemoIssueDrift
{
public:
    // Steps in cycle order; "next" takes whichever is due.
    static QStringList actions();

    void setEvery(int snapshots) { m_every = qMax(0, snapshots); }
    int every() const { return m_every; }
    void reset();

    // Counts one snapshot request of the tenant and takes a step when one is due.
    void onSnapshot(DevTenant &tenant);
    // Takes one step now; returns the change ("new_defect DEF-5532"), or an
    // empty text when the action is unknown or has nothing to act on.
    QString apply(DevTenant &tenant, const QString &action);
    // The changes since the tenant's last snapshot, once (for its journal entry).
    QString takePending(const QString &tenantId);

    QJsonObject stateJson(const DevTenant &tenant) const;

    // Recomputes "bugs_summary" and "defects_summary" from the lists.
    static void updateSummaries(DevTenant &tenant);

private:
    int m_every = 0;
    QHash<QString, int> m_snapshots; // per tenant
    QHash<QString, int> m_steps;     // next cycle step per tenant
    QHash<QString, QStringList> m_pending;
};
