#include "session/SessionResources.h"

#include "support/SupportResources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE names the generated registration function, which lives in the global namespace.
void InitSessionResources()
{
    InitSupportResources();
    Q_INIT_RESOURCE(session);
}
