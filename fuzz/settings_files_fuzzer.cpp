#include "FuzzSupport.h"

#include "common/JsonRead.h"
#include "settings/SettingsJsonWriter.h"
#include "settings/SettingsRules.h"

#include <cstdlib>

// The identity file and the machine's settings file in any state, read the way
// loading reads them. Reading never fails loudly, and what the client then saves
// reads back unchanged. The files themselves (backups, atomic replace) have their
// own tests and kill loop; here they stay in memory so millions of inputs fit a run.
static SettingsState loaded(const QJsonObject &identity, const QJsonObject &local)
{
    SettingsState state = SettingsRules::initialState(QStringLiteral("fuzz-pc"));
    SettingsRules::applyFiles(state, identity, local);
    return state;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const uint8_t which = input.takeByte();
    const QJsonObject content = jsonObjectFromBytes(input.restBytes());
    // Bit 1: the identity file, bit 4: its backup (read when the file is damaged
    // or gone), bit 2: the machine's settings file.
    const QJsonObject identity = (which & 5) ? content : QJsonObject();
    const QJsonObject local = (which & 2) ? content : QJsonObject();

    SettingsState state = loaded(identity, local);
    SettingsRules::normalizeScriptBindings(state); // as saving does
    const QByteArray identityFile = SettingsJsonWriter::identityObject(state).toIndentedJson();
    const QByteArray localFile = SettingsJsonWriter::localObject(state).toIndentedJson();

    // Loaded from what was written, the state writes the same files again.
    const SettingsState reread = loaded(jsonObjectFromBytes(identityFile), jsonObjectFromBytes(localFile));
    const QByteArray identityAgain = SettingsJsonWriter::identityObject(reread).toIndentedJson();
    const QByteArray localAgain = SettingsJsonWriter::localObject(reread).toIndentedJson();
    if (identityAgain != identityFile || localAgain != localFile) {
        fprintf(stderr, "saved settings load back differently:\n%s%s\n---\n%s%s\n", identityFile.constData(),
                localFile.constData(), identityAgain.constData(), localAgain.constData());
        abort();
    }
    return 0;
}
