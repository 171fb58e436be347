#include "session/SessionState.h"

namespace session {

SessionState State;

void ResetState()
{
    State = SessionState{};
}

} // namespace session
