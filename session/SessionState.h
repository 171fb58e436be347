#pragma once
// The session state: the program-wide variables of the guided tapping session, kept in one place.
//
// Owner: the main window's step machine writes them (it resets them at load and on every step
// change); the step table writes RoundCount only, through GetNextStep_Navigation and GetPrevStep;
// the issue options write SelectedIssue; the step display writes CurrentPointIndex and the blink
// state. Everything runs on the one user-interface thread, so there is no locking.
//
// Use: `session::State.CurrentStep = stepIntro;`, `if (session::State.RoundPolarity) ...`.
// True/False variables are 16-bit with True as -1 (session::vbTrue) and False as 0 (vbFalse);
// test them for non-zero, never against 1.
//
// session::ResetState() puts every variable back to its value at program start (all 0 / False).
// The program itself never calls it (the step machine's own reset keeps TotalSeconds, RoundCount
// and RoundPolarity); it exists so that tests start from a known state.
#include "session/modIssues.h"
#include "session/modSteps.h"

#include <cstdint>

namespace session {

constexpr int16_t vbTrue = -1;
constexpr int16_t vbFalse = 0;

struct SessionState {
    StepEnum CurrentStep = stepNone;   // the step shown
    int32_t StepLength = 0;            // seconds; 0 = the step waits for the user
    int32_t StepSeconds = 0;           // whole seconds spent in the current step
    int32_t TotalSeconds = 0;          // whole seconds of timed steps since the main window loaded
    int32_t MillisecondCount = 0;      // 10 per timer tick, 0 to 1000
    int32_t RoundCount = 0;            // number of the current tapping round
    int16_t RoundPolarity = vbFalse;   // True (-1) during a positive round (round 3 on)
    IssueEnum SelectedIssue = issNone; // the chosen issue
    int32_t CurrentPointIndex = 0;     // marker dot of the current step, 2 to 16, or -1
    int16_t BlinkOn = vbFalse;         // marker blink: shown or not
    int32_t BlinkTicks = 0;            // marker blink: ticks counted
    int32_t BlinkElapsed = 0;          // marker blink: time counted

    bool operator==(const SessionState&) const = default;
};

// The one program-wide instance.
extern SessionState State;

// Back to the values at program start.
void ResetState();

} // namespace session
