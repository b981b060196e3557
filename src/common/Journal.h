#pragma once

#include <QString>

// What a subsystem needs of the operator's journal: short Russian lines at four levels.
// The event log of the application layer implements it; subsystems never see that class.
// The journal is created before and destroyed after every service that writes to it.
class Journal
{
public:
    virtual ~Journal() = default;

    virtual void addInfo(const QString &message) = 0;
    virtual void addSuccess(const QString &message) = 0;
    virtual void addWarn(const QString &message) = 0;
    virtual void addError(const QString &message) = 0;
};

// A service built without a journal (tests, tools) writes nowhere.
inline void journalInfo(Journal *journal, const QString &message)
{
    if (journal)
        journal->addInfo(message);
}
inline void journalWarn(Journal *journal, const QString &message)
{
    if (journal)
        journal->addWarn(message);
}
inline void journalError(Journal *journal, const QString &message)
{
    if (journal)
        journal->addError(message);
}
