#include "session/modOptions.h"

#include "platform/Registry.h"
#include "support/ErrorTrap.h"
#include "support/modRegistry.h"

bool ShowWhatIsItWindow()
{
    bool show = false;
    TrapErrors(QStringLiteral("modOptions"), QStringLiteral("ShowWhatIsItWindow"), [&] {
        show = GetRegDWord(HKEY_CURRENT_USER, OptionsKey(), QStringLiteral("ShowWhatIsIt"), 0) == 1;
    });
    return show;
}
