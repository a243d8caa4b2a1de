#include "lame/LamePersistence.h"

#include "lame/KeptOptions.h"
#include "lame/OptionTable.h"
#include "settings/SettingsStore.h"

LameLoadResult LoadKeptOptions(KeptOptions& kept)
{
    LameLoadResult result;
    for (const OptionRow& row : OptionTable()) {
        if (!row.storeName)
            continue;
        const QString name = QString::fromUtf8(row.storeName);
        if (!SetOptionText(kept, row,
                           ReadRegistryValue(RegistryRoot::CurrentUser, kQuenzalKey, name))) {
            result.stoppedAt = name;
            return result;
        }
        ++result.applied;
    }
    return result;
}

KeptOptions LoadKeptOptions(LameLoadResult* howFar)
{
    KeptOptions kept = FirstStartOptions();
    const LameLoadResult result = LoadKeptOptions(kept);
    if (howFar)
        *howFar = result;
    // Nothing stored yet (or emptied by hand): the switches of the options the window shows,
    // so that a run uses what the window shows from the very first start.
    if (kept.switches.isEmpty())
        kept.switches = BuildLameCommand(kept.options) + QLatin1Char(' ');
    return kept;
}

bool SaveKeptOptions(const KeptOptions& kept)
{
    QList<std::pair<QString, QString>> values;
    for (const OptionRow& row : OptionTable()) {
        if (row.storeName)
            values.append({QString::fromUtf8(row.storeName), OptionText(kept, row)});
    }
    return WriteRegistryValues(RegistryRoot::CurrentUser, kQuenzalKey, values);
}
