#include "session/modSteps.h"

#include "platform/MsgBox.h"
#include "session/SessionState.h"
#include "support/ErrorTrap.h"

#include <QStringView>
#include <array>

using session::State;
using session::vbFalse;
using session::vbTrue;

namespace {

const QString kModule = QStringLiteral("modSteps");

// The instruction prose. Paragraphs are parted by a blank line (CR LF CR LF); a single CR LF
// breaks a line inside a paragraph.

constexpr QStringView kIntroText =
    u"Please sit up straight in a safe, quiet place and relax.\r\n\r\n"
    u"Take a deep breath.\r\n\r\n"
    u"Expand your body - put your chest forward, head up, your feet shoulder-width apart. Keep your whole "
    u"spine straight. Gently place your tongue against the roof of your mouth. Take as much space as you can. "
    u"You have right to be here. You are in charge.\r\n\r\n"
    u"There is no right or wrong way of working towards achiving emotional freedom, there is only your way. As "
    u"long as you feel the emotions you want to clear, you are on the right path. With time you will clear "
    u"negative emotions and you'll achive calmness and piece of mind.\r\n\r\n"
    u"Whenever you are ready, please click the Next button or press a spacebar or an Enter key to move to the "
    u"next step.";

constexpr QStringView kSelectIssueText =
    u"Please select an emotional issue you want to clear.\r\n\r\n"
    u"It should be an issue which triggers negative emotions in you - whenever you think about it you start "
    u"sweating, your heart starts pounding, your blood circulates faster, your pulse accelerates, you are "
    u"upset.\r\n\r\n"
    u"Click button Next when you are ready.";

constexpr QStringView kAssignSudText =
    u"Now please assess the intensity of the issue - the level of discomfort it causes. Assign to this issue a "
    u"SUD number (a unit on so called 'Subjective Unit of Distress' scale). \r\n\r\n"
    u"It is number from 0 to 10, where 0 means that the issue is not bothering you at all, and 10 indicates "
    u"the highest level of distress.\r\n\r\n"
    u"Go to the next step when you are ready.";

constexpr QStringView kStimulateThymusText =
    u"Breath deeply and slowly - inhaling through the nose and out through the mouth. Slowly inhale, stop for "
    u"3-4 seconds and then slowly exhale and stop for 3-4 seconds.\r\n\r\n"
    u"Massage your thymus with two or more fingers by doing circular moves around it for about half a "
    u"minute.\r\n\r\n"
    u"Thymus gland regulates human's body and is its energetic battery. It is located behind your sternum and "
    u"between your lungs, about 2 inches below the collarbone.\r\n\r\n"
    u"(When stimulating thymus, the will to heal - life's energy - is activated.)\r\n\r\n"
    u"Click button Next when you are ready.";

constexpr QStringView kRelaxText =
    u"Say 'Peace' and take couple of deep breaths.\r\n\r\n"
    u"Detach yourself from the issue. This issue is not you. It doesn't define you.\r\n\r\n"
    u"If this issue was triggered by a situation in the past, re-live this situation, but this time separate "
    u"yourself from it.\r\n\r\n"
    u"Watch it through the lenses of a camera. Camera doesn't judge or assign emotions.\r\n\r\n"
    u"Observe as this would happen to someone else. You can modify the situation - you can bring other people "
    u"of beings, real of imaginary. You are in control. You can change your behavior but you cannot change "
    u"behavior of people who caused harm to you.\r\n\r\n"
    u"This will re-frame this event for you. You will remember it but the negative emotions will go away.";

constexpr QStringView kReassessSudText =
    u"Say 'Peace' and take a deep breath.\r\n\r\n"
    u"Reasses SUD - the intensity of the emotion or stress related to given issue.\r\n\r\n"
    u"If it decreased but it is still > 0, you may click the button 'Next' and continue tapping till it "
    u"reaches zero, or you may stop the session and continue it at other time.\r\n\r\n"
    u"If SUD = 0, either end the session or click the button 'Previous' couple of times to go back to the "
    u"beginning of the process and move on to the next issue.\r\n\r\n"
    u"Sometimes (though very rarely) it happens that the level of the stress increases.\r\n"
    u"If that's the case, stop working on that issue and try to clear some other, less intense issue. Come "
    u"back to the original issue after the lighter issues are cleared.\r\n\r\n"
    u"To stop the session plese click the button 'Finish.";

constexpr QStringView kFinishText =
    u"Take a deep breath. Place one hand on your hearth and the other one abount one inch below your belly "
    u"button - this spot is called 'dan tien'.\r\n\r\n"
    u"Concentrate on your heart and say:\r\n"
    u"'I feel you. I understand you. I love you.'\r\n\r\n"
    u"Imagine energy flowing between your heart and your dan tien. As you breathe in, the energy goes up to "
    u"your heart. As you breath out, the energy goes down to your dan tien.\r\n\r\n"
    u"Send your love to the outside world, to everyone and everything.\r\n\r\n"
    u"Say:\r\n"
    u"'I am greatful for this healing.'\r\n\r\n"
    u"The issue is gone. You are safe. Somebody loves you.";

constexpr QStringView kNegativeLeadIn =
    u"Tune in into the emotion associated with the issue. Feel related experience and sensations. Gently tap "
    u"the indicated points with the index finger and middle finger. Repeat (you can also use your own words): ";

constexpr QStringView kPositiveLeadIn =
    u"Continue tapping. Relax and remember to breathe slowly. Repeat (or use your own words to reframe the "
    u"issue): ";

// In the Next and Previous columns: the tapping step's successor or predecessor depends on the
// round's polarity (and changes the round state), so the look-up decides it, not the row.
constexpr StepEnum kByRound = static_cast<StepEnum>(-1);

using Instr = StepInstruction;

struct StepRow {
    StepEnum step;
    QStringView name;    // what the journal records
    QStringView caption; // under the tapping-point picture
    int32_t length;      // seconds; 0 waits for the user
    StepEnum timerNext;  // when the step's time runs out
    StepEnum next;       // when the user asks for the next step
    StepEnum previous;   // when the user goes back
    int32_t dot;         // the main window's marker dot, -1 for none
    bool tapping;        // a step of the tapping rounds (Next and Previous change the round state)
    Instr instruction;
    QStringView prose;
};

// One row per step value, 0 to 25, in value order. Row 0 is the state before the first step: it
// has successors but no name or caption of its own.
constexpr std::array<StepRow, 26> kSteps = {{
    // clang-format off
    // step                 name                caption                     len timer                next                 previous             dot  tapping instruction          prose
    {stepNone,             u"",                 u"",                        2,  stepIntro,           stepIntro,           stepIntro,           -1, false, Instr::Prose,          u""},
    {stepIntro,            u"Intro",            u"Intro",                   0,  stepStimulateThymus, stepStimulateThymus, stepIntro,           -1, false, Instr::Prose,          kIntroText},
    {stepSelectIssue,      u"Select Issue",     u"",                        0,  stepAssignSUD,       stepAssignSUD,       stepStimulateThymus, -1, false, Instr::Prose,          kSelectIssueText},
    {stepAssignSUD,        u"Assign SUD",       u"",                        0,  stepKarateChopLeft,  stepKarateChopLeft,  stepSelectIssue,     -1, false, Instr::Prose,          kAssignSudText},
    {stepStimulateThymus,  u"Stimulate Thymus", u"",                        0,  stepSelectIssue,     stepSelectIssue,     stepIntro,           -1, false, Instr::Prose,          kStimulateThymusText},
    {stepKarateChopLeft,   u"Left Hand",        u"Karate chop - Left Hand", 10, stepKarateChopRight, stepTopHead_L,       stepAssignSUD,        2, false, Instr::SetUpStatement, u""},
    {stepKarateChopRight,  u"Right Hand",       u"Karate chop - Right Hand",10, stepTopHead_L,       stepTopHead_L,       stepAssignSUD,        3, false, Instr::SetUpStatement, u""},
    // One round: top of the head and the left side, then the top again and the right side.
    {stepTopHead_L,        u"Top Head",         u"Top Head",                2,  stepLeftEyebrow,     kByRound,            kByRound,             4, true,  Instr::PhraseList,     u""},
    {stepTopHead_R,        u"Top Head",         u"Top Head",                2,  stepRightEyebrow,    kByRound,            kByRound,             4, true,  Instr::PhraseList,     u""},
    {stepLeftEyebrow,      u"Left Eyebrow",     u"Left Eyebrow",            2,  stepLeftEyeCorner,   kByRound,            kByRound,             5, true,  Instr::PhraseList,     u""},
    {stepLeftEyeCorner,    u"Left Eye Corner",  u"Left Eye Corner",         2,  stepLeftUnderEye,    kByRound,            kByRound,             6, true,  Instr::PhraseList,     u""},
    {stepLeftUnderEye,     u"Left Under Eye",   u"Left Under Eye",          2,  stepUnderNose_L,     kByRound,            kByRound,             7, true,  Instr::PhraseList,     u""},
    {stepUnderNose_L,      u"Under Nose",       u"Under Nose",              2,  stepChin_L,          kByRound,            kByRound,             8, true,  Instr::PhraseList,     u""},
    {stepUnderNose_R,      u"Under Nose",       u"Under Nose",              2,  stepChin_R,          kByRound,            kByRound,             8, true,  Instr::PhraseList,     u""},
    {stepChin_L,           u"Chin",             u"Chin",                    2,  stepLeftCollarbone,  kByRound,            kByRound,             9, true,  Instr::PhraseList,     u""},
    {stepChin_R,           u"Chin",             u"Chin",                    2,  stepRightCollarbone, kByRound,            kByRound,             9, true,  Instr::PhraseList,     u""},
    {stepLeftCollarbone,   u"Left Collarbone",  u"Left Collarbone",         2,  stepLeftUnderArm,    kByRound,            kByRound,            10, true,  Instr::PhraseList,     u""},
    {stepLeftUnderArm,     u"Left Under Arm",   u"Left Under Arm",          2,  stepTopHead_R,       kByRound,            kByRound,            11, true,  Instr::PhraseList,     u""},
    // The right eyebrow is the last dot.
    {stepRightEyebrow,     u"Right Eyebrow",    u"Right Eyebrow",           2,  stepRightEyeCorner,  kByRound,            kByRound,            16, true,  Instr::PhraseList,     u""},
    {stepRightEyeCorner,   u"Right Eye Corner", u"Right Eye Corner",        2,  stepRightUnderEye,   kByRound,            kByRound,            12, true,  Instr::PhraseList,     u""},
    {stepRightUnderEye,    u"Right Under Eye",  u"Right Under Eye",         2,  stepUnderNose_R,     kByRound,            kByRound,            13, true,  Instr::PhraseList,     u""},
    {stepRightCollarbone,  u"Right Collarbone", u"Right Collarbone",        2,  stepRightUnderArm,   kByRound,            kByRound,            14, true,  Instr::PhraseList,     u""},
    {stepRightUnderArm,    u"Right Under Arm",  u"Right Under Arm",         2,  stepTopHead_L,       kByRound,            kByRound,            15, true,  Instr::PhraseList,     u""},
    {stepRelax,            u"Relax",            u"Relax - Description",     15, stepTopHead_L,       stepTopHead_L,       stepTopHead_L,       -1, false, Instr::Prose,          kRelaxText},
    // Reasses SUD counts as a tapping step: Next changes the round state, yet always goes to 7.
    {stepReassessSUD,      u"Reasses SUD",      u"",                        0,  stepTopHead_L,       stepTopHead_L,       kByRound,            -1, true,  Instr::Prose,          kReassessSudText},
    {stepFinish,           u"Finish",           u"Finish",                  0,  stepIntro,           stepIntro,           stepTopHead_L,       -1, false, Instr::Prose,          kFinishText},
    // clang-format on
}};

constexpr bool RowsInValueOrder()
{
    for (size_t i = 0; i < kSteps.size(); ++i)
        if (kSteps[i].step != static_cast<int32_t>(i))
            return false;
    return true;
}
static_assert(RowsInValueOrder(), "the step table is indexed by the step value");

// The step's row; nullptr for a value outside 0 to 25.
const StepRow* Row(StepEnum step)
{
    return step >= 0 && step < static_cast<int32_t>(kSteps.size()) ? &kSteps[static_cast<size_t>(step)] : nullptr;
}

// The row of a step that has a name and a caption: 1 to 25.
const StepRow* NamedRow(StepEnum step)
{
    return step == stepNone ? nullptr : Row(step);
}

// The caller passed a step the table does not know: tell the user and carry on.
void WrongValue(const char* prompt)
{
    vb::MsgBox(QString::fromLatin1(prompt), vb::vbOKOnly);
}

} // namespace

QString GetStepName(StepEnum step)
{
    QString result;
    TrapErrors(kModule, QStringLiteral("GetStepName"), [&] {
        if (const StepRow* row = NamedRow(step))
            result = row->name.toString();
        else
            WrongValue("GetStepName - wrong parameter passed");
    });
    return result;
}

QString GetStepDescription(StepEnum step)
{
    QString result;
    TrapErrors(kModule, QStringLiteral("GetStepDescription"), [&] {
        if (const StepRow* row = NamedRow(step))
            result = row->caption.toString();
        else
            WrongValue("GetStepDescription - wrong parameter passed");
    });
    return result;
}

int32_t GetStepLength(StepEnum step)
{
    int32_t result = 0;
    TrapErrors(kModule, QStringLiteral("GetStepLength"), [&] {
        const StepRow* row = Row(step);
        result = row ? row->length : 2;
    });
    return result;
}

StepEnum GetNextStep(StepEnum step)
{
    StepEnum result = stepNone;
    TrapErrors(kModule, QStringLiteral("GetNextStep"), [&] {
        if (const StepRow* row = Row(step)) {
            result = row->timerNext;
        } else {
            // Set before the box so that the caller gets Intro even if the box fails.
            result = stepIntro;
            WrongValue("Next step not defined");
        }
    });
    return result;
}

StepEnum GetNextStep_Navigation(StepEnum step)
{
    StepEnum result = stepNone;
    TrapErrors(kModule, QStringLiteral("GetNextStep_Navigation"), [&] {
        if (IsThisTappingStep(step)) {
            // Leaving the rounds: a negative round goes to Relax and the round after it is the
            // third, a positive one; a positive round goes to Reasses SUD.
            if (State.RoundPolarity == vbFalse) {
                State.RoundCount = 2;
                result = stepRelax;
            } else {
                result = stepReassessSUD;
            }
        }
        if (const StepRow* row = Row(step)) {
            if (row->next != kByRound)
                result = row->next;
        } else {
            result = stepIntro;
            WrongValue("Next step not defined");
        }
    });
    return result;
}

StepEnum GetPrevStep(StepEnum step, int16_t& pblnPositiveRound)
{
    StepEnum result = stepNone;
    TrapErrors(kModule, QStringLiteral("GetPrevStep"), [&] {
        pblnPositiveRound = vbFalse;
        if (IsThisTappingStep(step)) {
            // Back out of the rounds: they start again from round 1.
            State.RoundCount = 0;
            if (State.RoundPolarity != vbFalse) {
                result = stepRelax;
                pblnPositiveRound = vbTrue;
            } else {
                result = stepKarateChopLeft;
            }
        } else if (const StepRow* row = Row(step)) {
            result = row->previous;
        } else {
            result = stepIntro;
            WrongValue("Previous step not defined");
        }
    });
    return result;
}

int16_t IsThisTappingStep(StepEnum step)
{
    int16_t result = vbFalse;
    TrapErrors(kModule, QStringLiteral("IsThisTappingStep"), [&] {
        const StepRow* row = Row(step);
        if (row && row->tapping)
            result = vbTrue;
    });
    return result;
}

QString GetIntroText()
{
    QString result;
    TrapErrors(kModule, QStringLiteral("GetIntroText"), [&] { result = kIntroText.toString(); });
    return result;
}

int32_t GetStepPointIndex(StepEnum step)
{
    const StepRow* row = Row(step);
    return row ? row->dot : 0;
}

StepInstruction GetStepInstructionKind(StepEnum step)
{
    const StepRow* row = Row(step);
    return row ? row->instruction : StepInstruction::Prose;
}

QString GetStepInstructionProse(StepEnum step)
{
    const StepRow* row = Row(step);
    return row ? row->prose.toString() : QString();
}

QString GetPhraseListLeadIn(int16_t positiveRound)
{
    return (positiveRound ? kPositiveLeadIn : kNegativeLeadIn).toString();
}
