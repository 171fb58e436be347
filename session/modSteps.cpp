#include "session/modSteps.h"

#include "platform/MsgBox.h"
#include "platform/VbError.h"
#include "session/SessionState.h"
#include "support/modErrorReport.h"

using session::State;
using session::vbFalse;
using session::vbTrue;

namespace {

const QString kModule = QStringLiteral("modSteps");

// Inside a catch block only: hands the error in flight to the one error report.
void ReportError(const char* procName)
{
    const vb::VbError e = vb::CurrentError();
    ShowErrorReport(e.Number, e.Description, kModule, QString::fromLatin1(procName), QString());
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
    try {
        switch (step) {
        case stepIntro: result = QStringLiteral("Intro"); break;
        case stepSelectIssue: result = QStringLiteral("Select Issue"); break;
        case stepAssignSUD: result = QStringLiteral("Assign SUD"); break;
        case stepStimulateThymus: result = QStringLiteral("Stimulate Thymus"); break;
        case stepKarateChopLeft: result = QStringLiteral("Left Hand"); break;
        case stepKarateChopRight: result = QStringLiteral("Right Hand"); break;
        case stepTopHead_L:
        case stepTopHead_R: result = QStringLiteral("Top Head"); break;
        case stepLeftEyebrow: result = QStringLiteral("Left Eyebrow"); break;
        case stepLeftEyeCorner: result = QStringLiteral("Left Eye Corner"); break;
        case stepLeftUnderEye: result = QStringLiteral("Left Under Eye"); break;
        case stepUnderNose_L:
        case stepUnderNose_R: result = QStringLiteral("Under Nose"); break;
        case stepChin_L:
        case stepChin_R: result = QStringLiteral("Chin"); break;
        case stepLeftCollarbone: result = QStringLiteral("Left Collarbone"); break;
        case stepLeftUnderArm: result = QStringLiteral("Left Under Arm"); break;
        case stepRightEyebrow: result = QStringLiteral("Right Eyebrow"); break;
        case stepRightEyeCorner: result = QStringLiteral("Right Eye Corner"); break;
        case stepRightUnderEye: result = QStringLiteral("Right Under Eye"); break;
        case stepRightCollarbone: result = QStringLiteral("Right Collarbone"); break;
        case stepRightUnderArm: result = QStringLiteral("Right Under Arm"); break;
        case stepRelax: result = QStringLiteral("Relax"); break;
        case stepReassessSUD: result = QStringLiteral("Reasses SUD"); break;
        case stepFinish: result = QStringLiteral("Finish"); break;
        default: WrongValue("GetStepName - wrong parameter passed"); break;
        }
    } catch (...) {
        ReportError("GetStepName");
    }
    return result;
}

QString GetStepDescription(StepEnum step)
{
    QString result;
    try {
        switch (step) {
        case stepIntro: result = QStringLiteral("Intro"); break;
        case stepSelectIssue:
        case stepAssignSUD:
        case stepStimulateThymus:
        case stepReassessSUD: break; // no picture caption on these
        case stepKarateChopLeft: result = QStringLiteral("Karate chop - Left Hand"); break;
        case stepKarateChopRight: result = QStringLiteral("Karate chop - Right Hand"); break;
        case stepTopHead_L:
        case stepTopHead_R: result = QStringLiteral("Top Head"); break;
        case stepLeftEyebrow: result = QStringLiteral("Left Eyebrow"); break;
        case stepLeftEyeCorner: result = QStringLiteral("Left Eye Corner"); break;
        case stepLeftUnderEye: result = QStringLiteral("Left Under Eye"); break;
        case stepUnderNose_L:
        case stepUnderNose_R: result = QStringLiteral("Under Nose"); break;
        case stepChin_L:
        case stepChin_R: result = QStringLiteral("Chin"); break;
        case stepLeftCollarbone: result = QStringLiteral("Left Collarbone"); break;
        case stepLeftUnderArm: result = QStringLiteral("Left Under Arm"); break;
        case stepRightEyebrow: result = QStringLiteral("Right Eyebrow"); break;
        case stepRightEyeCorner: result = QStringLiteral("Right Eye Corner"); break;
        case stepRightUnderEye: result = QStringLiteral("Right Under Eye"); break;
        case stepRightCollarbone: result = QStringLiteral("Right Collarbone"); break;
        case stepRightUnderArm: result = QStringLiteral("Right Under Arm"); break;
        case stepRelax: result = QStringLiteral("Relax - Description"); break;
        case stepFinish: result = QStringLiteral("Finish"); break;
        default: WrongValue("GetStepDescription - wrong parameter passed"); break;
        }
    } catch (...) {
        ReportError("GetStepDescription");
    }
    return result;
}

int32_t GetStepLength(StepEnum step)
{
    int32_t result = 0;
    try {
        switch (step) {
        case stepIntro:
        case stepSelectIssue:
        case stepAssignSUD:
        case stepStimulateThymus:
        case stepReassessSUD:
        case stepFinish: result = 0; break;
        case stepKarateChopLeft:
        case stepKarateChopRight: result = 10; break;
        case stepRelax: result = 15; break;
        default: result = 2; break; // the tapping points, and anything unknown
        }
    } catch (...) {
        ReportError("GetStepLength");
    }
    return result;
}

StepEnum GetNextStep(StepEnum step)
{
    StepEnum result = stepNone;
    try {
        switch (step) {
        case stepNone: result = stepIntro; break;
        case stepIntro: result = stepStimulateThymus; break;
        case stepSelectIssue: result = stepAssignSUD; break;
        case stepAssignSUD: result = stepKarateChopLeft; break;
        case stepStimulateThymus: result = stepSelectIssue; break;
        case stepKarateChopLeft: result = stepKarateChopRight; break;
        case stepKarateChopRight: result = stepTopHead_L; break;
        // One round: top of the head and the left side, then the top again and the right side.
        case stepTopHead_L: result = stepLeftEyebrow; break;
        case stepLeftEyebrow: result = stepLeftEyeCorner; break;
        case stepLeftEyeCorner: result = stepLeftUnderEye; break;
        case stepLeftUnderEye: result = stepUnderNose_L; break;
        case stepUnderNose_L: result = stepChin_L; break;
        case stepChin_L: result = stepLeftCollarbone; break;
        case stepLeftCollarbone: result = stepLeftUnderArm; break;
        case stepLeftUnderArm: result = stepTopHead_R; break;
        case stepTopHead_R: result = stepRightEyebrow; break;
        case stepRightEyebrow: result = stepRightEyeCorner; break;
        case stepRightEyeCorner: result = stepRightUnderEye; break;
        case stepRightUnderEye: result = stepUnderNose_R; break;
        case stepUnderNose_R: result = stepChin_R; break;
        case stepChin_R: result = stepRightCollarbone; break;
        case stepRightCollarbone: result = stepRightUnderArm; break;
        case stepRightUnderArm: result = stepTopHead_L; break;
        case stepRelax:
        case stepReassessSUD: result = stepTopHead_L; break;
        case stepFinish: result = stepIntro; break;
        default:
            // Set before the box so that the caller gets Intro even if the box fails.
            result = stepIntro;
            WrongValue("Next step not defined");
            break;
        }
    } catch (...) {
        ReportError("GetNextStep");
    }
    return result;
}

StepEnum GetNextStep_Navigation(StepEnum step)
{
    StepEnum result = stepNone;
    try {
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
        switch (step) {
        case stepNone: result = stepIntro; break;
        case stepIntro: result = stepStimulateThymus; break;
        case stepSelectIssue: result = stepAssignSUD; break;
        case stepAssignSUD: result = stepKarateChopLeft; break;
        case stepStimulateThymus: result = stepSelectIssue; break;
        case stepKarateChopLeft:
        case stepKarateChopRight: result = stepTopHead_L; break;
        case stepRelax:
        case stepReassessSUD: result = stepTopHead_L; break;
        case stepFinish: result = stepIntro; break;
        default:
            if (step >= stepTopHead_L && step <= stepRightUnderArm)
                break; // decided above
            result = stepIntro;
            WrongValue("Next step not defined");
            break;
        }
    } catch (...) {
        ReportError("GetNextStep_Navigation");
    }
    return result;
}

StepEnum GetPrevStep(StepEnum step, int16_t& pblnPositiveRound)
{
    StepEnum result = stepNone;
    try {
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
        } else {
            switch (step) {
            case stepNone:
            case stepIntro: result = stepIntro; break;
            case stepSelectIssue: result = stepStimulateThymus; break;
            case stepAssignSUD: result = stepSelectIssue; break;
            case stepStimulateThymus: result = stepIntro; break;
            case stepKarateChopLeft:
            case stepKarateChopRight: result = stepAssignSUD; break;
            case stepRelax:
            case stepFinish: result = stepTopHead_L; break;
            default:
                result = stepIntro;
                WrongValue("Previous step not defined");
                break;
            }
        }
    } catch (...) {
        ReportError("GetPrevStep");
    }
    return result;
}

int16_t IsThisTappingStep(StepEnum step)
{
    int16_t result = vbFalse;
    try {
        if ((step >= stepTopHead_L && step <= stepRightUnderArm) || step == stepReassessSUD)
            result = vbTrue;
    } catch (...) {
        ReportError("IsThisTappingStep");
    }
    return result;
}

QString GetIntroText()
{
    QString result;
    try {
        const QString para = QStringLiteral("\r\n\r\n");
        result = QStringLiteral("Please sit up straight in a safe, quiet place and relax.") + para
            + QStringLiteral("Take a deep breath.") + para
            + QStringLiteral("Expand your body - put your chest forward, head up, your feet shoulder-width apart. "
                             "Keep your whole spine straight. Gently place your tongue against the roof of your mouth.")
            + QStringLiteral(" Take as much space as you can. You have right to be here. You are in charge.") + para
            + QStringLiteral("There is no right or wrong way of working towards achiving emotional freedom, there is "
                             "only your way. As long as you feel the emotions you want to clear, you are on the right "
                             "path. With time you will clear negative emotions and you'll achive calmness and piece "
                             "of mind.")
            + para
            + QStringLiteral("Whenever you are ready, please click the Next button or press a spacebar or an Enter key "
                             "to move to the next step.");
    } catch (...) {
        ReportError("GetIntroText");
    }
    return result;
}

int32_t GetStepPointIndex(StepEnum step)
{
    switch (step) {
    case stepNone:
    case stepIntro:
    case stepSelectIssue:
    case stepAssignSUD:
    case stepStimulateThymus:
    case stepRelax:
    case stepReassessSUD:
    case stepFinish: return -1;
    case stepKarateChopLeft: return 2;
    case stepKarateChopRight: return 3;
    case stepTopHead_L:
    case stepTopHead_R: return 4;
    case stepLeftEyebrow: return 5;
    case stepLeftEyeCorner: return 6;
    case stepLeftUnderEye: return 7;
    case stepUnderNose_L:
    case stepUnderNose_R: return 8;
    case stepChin_L:
    case stepChin_R: return 9;
    case stepLeftCollarbone: return 10;
    case stepLeftUnderArm: return 11;
    case stepRightEyeCorner: return 12;
    case stepRightUnderEye: return 13;
    case stepRightCollarbone: return 14;
    case stepRightUnderArm: return 15;
    case stepRightEyebrow: return 16; // the right eyebrow is the last dot
    }
    return 0;
}
