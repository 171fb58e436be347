#pragma once
// The issues a session can work on and the words the user says for each: display names, the
// mapping to the main window's issue options (radMode, index = value / 10), the set-up statement
// of the karate-chop steps and the negative and positive phrase lists of the tapping rounds.
//
// Every text is fixed here, in one constant row per issue (name, option, set-up statement, the two
// phrase list procedures) and one constant array per phrase list; nothing is read from files or
// settings. Values outside the table never fail: they give the empty text, 0 or a placeholder. An
// unexpected run-time error is reported through the error report (module "modIssues", the
// operation's own name, an empty extra text) and the text held so far is returned.
#include <QString>
#include <cstdint>

// The issue worked on; any 32-bit value may arrive, only 0 and 10 to 120 in tens are issues.
enum IssueEnum : int32_t {
    issNone = 0,
    issAddictionsObsessions = 10,
    issAnxietyFearPanicPhobia = 20,
    issDepression = 30,
    issHeadaches = 40,
    issNegativeMemory = 50,
    issPTSD = 60, // never offered: its option is hidden
    issGlossophobia = 70,
    issRageAnger = 80,
    issSelfEsteem = 90,
    issTrauma = 100, // never offered: its option is hidden
    issGuilt = 110,
    issPTSDTrauma = 120,
};

// Display name (the option's caption); "NA" for 0, "" for values outside the table.
QString GetIssueName(IssueEnum issue);
// Option index 1 to 12 -> issue index x 10; anything else -> issNone.
IssueEnum IssueOptIndexToEnum(int32_t index);
// Issue 10 to 120 -> option index value / 10; anything else -> 0 (no option).
int32_t IssueEnumToOptIndex(IssueEnum issue);
// The issue a session starts with: Negative memory.
IssueEnum GetDefaultIssue();

// The set-up text of the karate-chop steps: instruction, then "Even though ... I love and accept
// myself with all my heart." built from the issue's statement.
QString GetStringForActivationStep(IssueEnum issue);
// The issue's whole negative / positive phrase list, one phrase a line (CR LF between phrases);
// a placeholder for issues without lists.
QString GetStringForNegativeSequence(IssueEnum issue);
QString GetStringForPositiveSequence(IssueEnum issue);

// The twenty phrase lists behind the two operations above.
QString GetStringForNegativeSeq_AddictionsObsessions();
QString GetStringForPositiveSeq_AddictionsObsessions();
QString GetStringForNegativeSeq_AnxietyFearPanicPhobia();
QString GetStringForPositiveSeq_AnxietyFearPanicPhobia();
QString GetStringForNegativeSeq_Depression();
QString GetStringForPositiveSeq_Depression();
QString GetStringForNegativeSeq_Headaches();
QString GetStringForPositiveSeq_Headaches();
QString GetStringForNegativeSeq_NegativeMemory();
QString GetStringForPositiveSeq_NegativeMemory();
QString GetStringForNegativeSeq_Glossophobia();
QString GetStringForPositiveSeq_Glossophobia();
QString GetStringForNegativeSeq_RageAnger();
QString GetStringForPositiveSeq_RageAnger();
QString GetStringForNegativeSeq_SelfEsteem();
QString GetStringForPositiveSeq_SelfEsteem();
QString GetStringForNegativeSeq_Guilt();
QString GetStringForPositiveSeq_Guilt();
QString GetStringForNegativeSeq_PTSD();
QString GetStringForPositiveSeq_PTSD();
