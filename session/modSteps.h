#pragma once
// The step table of a tapping session: one constant row per step with its name, caption, length,
// successors, predecessor, marker dot and instruction text. The look-ups are pure except that the
// Next successor and the predecessor of a tapping step change the round state (session::State);
// that is how the step machine leaves the endless tapping rounds and comes back into them.
//
// A value outside the table is the caller's fault: the look-ups that name it show a plain
// message box and return a harmless value. Any run-time error inside a look-up is reported
// through the error report (module "modSteps", the look-up's name, an empty extra text) and the
// look-up returns what it holds.
#include <QString>
#include <cstdint>

// A session step; any 32-bit value may arrive, only 0 to 25 are steps.
enum StepEnum : int32_t {
    stepNone = 0,
    stepIntro = 1,
    stepSelectIssue = 2,
    stepAssignSUD = 3,
    stepStimulateThymus = 4,
    stepKarateChopLeft = 5,
    stepKarateChopRight = 6,
    stepTopHead_L = 7,
    stepTopHead_R = 8,
    stepLeftEyebrow = 9,
    stepLeftEyeCorner = 10,
    stepLeftUnderEye = 11,
    stepUnderNose_L = 12,
    stepUnderNose_R = 13,
    stepChin_L = 14,
    stepChin_R = 15,
    stepLeftCollarbone = 16,
    stepLeftUnderArm = 17,
    stepRightEyebrow = 18,
    stepRightEyeCorner = 19,
    stepRightUnderEye = 20,
    stepRightCollarbone = 21,
    stepRightUnderArm = 22,
    stepRelax = 23,
    stepReassessSUD = 24,
    stepFinish = 25,
};

// The step's name (what the journal records); "" and a message box for values outside 1 to 25.
QString GetStepName(StepEnum step);
// The caption under the tapping-point picture; "" and a message box outside 1 to 25.
QString GetStepDescription(StepEnum step);
// Length in seconds, 0 for a step that waits for the user; 2 for values outside the table.
int32_t GetStepLength(StepEnum step);
// The successor when the step's time runs out.
StepEnum GetNextStep(StepEnum step);
// The successor when the user asks for the next step; on a tapping step it sets RoundCount to 2
// in a negative round.
StepEnum GetNextStep_Navigation(StepEnum step);
// The predecessor. Sets pblnPositiveRound False first; on a tapping step it clears RoundCount and,
// in a positive round, answers Relax with pblnPositiveRound True.
StepEnum GetPrevStep(StepEnum step, int16_t& pblnPositiveRound);
// True (-1) for the tapping points 7 to 22 and for Reasses SUD (24).
int16_t IsThisTappingStep(StepEnum step);
// The text of the Intro step.
QString GetIntroText();
// The main window's marker dot of the step: 2 to 16, -1 for a step without a point, 0 for a
// value outside 0 to 25. No error handling of its own: its caller's handler covers it.
int32_t GetStepPointIndex(StepEnum step);

// How the main window makes a step's instruction text: the step's own fixed prose, the chosen
// issue's set-up statement (the karate-chop steps), or a lead-in followed by the issue's phrase
// list for the round (the tapping points 7 to 22).
enum class StepInstruction { Prose, SetUpStatement, PhraseList };

// The three look-ups below have no error handling of their own: the main window's instruction
// builder that calls them covers them.

// The kind of a step's instruction text; Prose for values outside the table.
StepInstruction GetStepInstructionKind(StepEnum step);
// The step's fixed instruction prose, paragraphs parted by a blank line (two CR LF): the Intro
// text for Intro; "" for the steps whose text is built from the issue and for values outside 1 to 25.
QString GetStepInstructionProse(StepEnum step);
// The lead-in that goes ahead of a tapping round's phrase list: the positive round's when
// positiveRound is non-zero (True), the negative round's otherwise. It ends with a blank.
QString GetPhraseListLeadIn(int16_t positiveRound);
