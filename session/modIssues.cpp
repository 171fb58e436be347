#include "session/modIssues.h"

#include "platform/Strings.h"
#include "support/ErrorTrap.h"

#include <QStringView>
#include <array>
#include <span>

namespace {

const QString kModule = QStringLiteral("modIssues");

constexpr QStringView kTraumaticEvent = u"I was exposed to this traumatic event [your trauma here]";

using PhraseListProc = QString (*)();

struct IssueRow {
    IssueEnum issue;
    int32_t option;          // index of the main window's issue option, 0 for none
    QStringView name;        // the option's caption
    QStringView note;        // put ahead of the set-up instruction
    QStringView statement;   // of the set-up text; empty: the user names the problem
    PhraseListProc negative; // nullptr: the issue has no lists
    PhraseListProc positive;
    QStringView placeholder; // names the issue in the placeholder text of an issue without lists
};

// One row per issue, in value order; the option index is value / 10.
constexpr std::array<IssueRow, 13> kIssues = {{
    {issNone, 0, u"NA", u"", u"", nullptr, nullptr, u""},
    {issAddictionsObsessions, 1, u"Addiction or obsession", u"",
     u"I have this addiction (obsession) [your problem here] ", GetStringForNegativeSeq_AddictionsObsessions,
     GetStringForPositiveSeq_AddictionsObsessions, u""},
    {issAnxietyFearPanicPhobia, 2, u"Anxiety, fear, panic, phobia", u"", u"I have this anxiety (fear, panic, phobia)",
     GetStringForNegativeSeq_AnxietyFearPanicPhobia, GetStringForPositiveSeq_AnxietyFearPanicPhobia, u""},
    {issDepression, 3, u"Depression", u"", u"I have this depression", GetStringForNegativeSeq_Depression,
     GetStringForPositiveSeq_Depression, u""},
    {issHeadaches, 4, u"Headaches", u"Headaches are the number one reason we visit our doctors.\r\n\r\n",
     u"I have this headache", GetStringForNegativeSeq_Headaches, GetStringForPositiveSeq_Headaches, u""},
    {issNegativeMemory, 5, u"Negative memory", u"", u"I have this negative memory [your problem here]",
     GetStringForNegativeSeq_NegativeMemory, GetStringForPositiveSeq_NegativeMemory, u""},
    // Never offered: its option is hidden.
    {issPTSD, 6, u"PTSD", u"", kTraumaticEvent, nullptr, nullptr, u"PTSD"},
    {issGlossophobia, 7, u"Public Speaking", u"", u"I have this fear of public speaking",
     GetStringForNegativeSeq_Glossophobia, GetStringForPositiveSeq_Glossophobia, u""},
    {issRageAnger, 8, u"Rage or anger", u"", u"I have this anger [your problem here]",
     GetStringForNegativeSeq_RageAnger, GetStringForPositiveSeq_RageAnger, u""},
    {issSelfEsteem, 9, u"Self-esteem issues", u"", u"I have so low self esteem", GetStringForNegativeSeq_SelfEsteem,
     GetStringForPositiveSeq_SelfEsteem, u""},
    // Never offered: its option is hidden.
    {issTrauma, 10, u"Trauma", u"", u"I have this trauma [your problem here]", nullptr, nullptr, u"Trauma"},
    {issGuilt, 11, u"Guilt", u"", u"I have this guilt", GetStringForNegativeSeq_Guilt, GetStringForPositiveSeq_Guilt,
     u""},
    // The trauma content lives here.
    {issPTSDTrauma, 12, u"PTSD, Trauma", u"", kTraumaticEvent, GetStringForNegativeSeq_PTSD,
     GetStringForPositiveSeq_PTSD, u""},
}};

constexpr bool OptionsAreTenths()
{
    for (const IssueRow& row : kIssues)
        if (row.option * 10 != row.issue)
            return false;
    return true;
}
static_assert(OptionsAreTenths(), "an issue's option index is its value / 10");

// The issue's row; nullptr for a value outside the table.
const IssueRow* Row(IssueEnum issue)
{
    for (const IssueRow& row : kIssues)
        if (row.issue == issue)
            return &row;
    return nullptr;
}

// The list text of an issue without lists: its name and which list was asked for; just "()" for
// values that are not issues at all.
QString Placeholder(const IssueRow* row, const QString& word)
{
    if (row && !row->placeholder.isEmpty())
        return vb::vbCrLf + QLatin1Char('(') + row->placeholder.toString() + QLatin1Char(')') + vb::vbCrLf + word +
               vb::vbCrLf + vb::vbCrLf;
    return vb::vbCrLf + QStringLiteral("()") + vb::vbCrLf + vb::vbCrLf;
}

// One of the issue's two phrase lists, or its placeholder.
QString Sequence(IssueEnum issue, bool positive)
{
    const IssueRow* row = Row(issue);
    const PhraseListProc list = row ? (positive ? row->positive : row->negative) : nullptr;
    return list ? list() : Placeholder(row, positive ? QStringLiteral("Positive") : QStringLiteral("Negative"));
}

// A phrase list's text: the phrases in order, one CR LF between each two, none around them.
QString JoinPhrases(std::span<const QStringView> phrases)
{
    QString text;
    for (size_t i = 0; i < phrases.size(); ++i) {
        if (i > 0)
            text += vb::vbCrLf;
        text += phrases[i];
    }
    return text;
}

// The text of one list procedure, under its own error trap.
QString PhraseList(const QString& proc, std::span<const QStringView> phrases)
{
    QString result;
    TrapErrors(kModule, proc, [&] { result = JoinPhrases(phrases); });
    return result;
}

} // namespace

QString GetIssueName(IssueEnum issue)
{
    QString result;
    TrapErrors(kModule, QStringLiteral("GetIssueName"), [&] {
        if (const IssueRow* row = Row(issue))
            result = row->name.toString();
    });
    return result;
}

IssueEnum IssueOptIndexToEnum(int32_t index)
{
    IssueEnum result = issNone;
    TrapErrors(kModule, QStringLiteral("IssueOptIndexToEnum"), [&] {
        for (const IssueRow& row : kIssues)
            if (row.option != 0 && row.option == index)
                result = row.issue;
    });
    return result;
}

int32_t IssueEnumToOptIndex(IssueEnum issue)
{
    int32_t result = 0;
    TrapErrors(kModule, QStringLiteral("IssueEnumToOptIndex"), [&] {
        if (const IssueRow* row = Row(issue))
            result = row->option;
    });
    return result;
}

IssueEnum GetDefaultIssue()
{
    IssueEnum result = issNone;
    TrapErrors(kModule, QStringLiteral("GetDefaultIssue"), [&] { result = issNegativeMemory; });
    return result;
}

QString GetStringForActivationStep(IssueEnum issue)
{
    QString result;
    TrapErrors(kModule, QStringLiteral("GetStringForActivationStep"), [&] {
        const IssueRow* row = Row(issue);
        const bool listed = row && !row->statement.isEmpty();
        // Without a statement of its own the user names the problem after "... ".
        result = (row ? row->note.toString() : QString())
            + QStringLiteral("Breath deeply and lightly tap with the index finger and middle finger a 'karate chop' "
                             "point, repeating the introduction sentence:")
            + vb::vbCrLf + vb::vbCrLf + QStringLiteral("Even though ") + (listed ? QString() : QStringLiteral("... "))
            + (listed ? row->statement.toString() : QStringLiteral("[your problem here]"))
            + QStringLiteral(" I love and accept myself with all my heart.");
    });
    return result;
}

QString GetStringForNegativeSequence(IssueEnum issue)
{
    QString result;
    TrapErrors(kModule, QStringLiteral("GetStringForNegativeSequence"), [&] { result = Sequence(issue, false); });
    return result;
}

QString GetStringForPositiveSequence(IssueEnum issue)
{
    QString result;
    TrapErrors(kModule, QStringLiteral("GetStringForPositiveSequence"), [&] { result = Sequence(issue, true); });
    return result;
}

// ---- The phrase lists ----------------------------------------------------------------------
//
// Escapes mark the characters that look alike on screen: \u00A0 a no-break space, \u2019 a right
// single quotation mark.

namespace {

constexpr QStringView kAddictionsObsessionsNegative[] = {
    u"I cannot control myself.",
    u"This is stronger than me.",
    u"Day by day it gets more difficult.",
    u"It is so tempting... I'm so easily tempted...",
    u"I have no respect for myself.",
    u"I lost respect for myself.",
    u"I don't have power over my mind.",
    u"I don't have self-discipline.",
    u"I don't have strong will.",
    u"This pain is so overwhelming...",
    u"I cannot control my anxieties...",
    u"My choices are not wise...",
    u"It's hard to breathe...",
};

constexpr QStringView kAddictionsObsessionsPositive[] = {
    u"Pain is the source of my addiction; I release this pain now.",
    u"I am free.\u00A0I can do anything\u00A0I want. I love life.",
    u"I am calm. I breathe deeply.",
    u"I am healthy, strong and powerful.",
    u"I take care about my health. I protect myself.",
    u"I make my own choices. They are wise choices.",
    u"I am relaxed. I release anxiety. I release stress.",
    u"I am in control of myself and my thoughts.",
    u"I love people and people love me.",
    u"I am free from addictions. I won.",
    u"I am a success, not a failure.",
    u"I forgive myself everything.",
    u"I stay in control.",
    u"I respect myself and my body.",
    u"I am not tempted at all.",
    u"It's so easy to turn down bad things.",
};

constexpr QStringView kAnxietyFearPanicPhobiaNegative[] = {
    u"I cannot calm myself down.",
    u"I cannot relax.",
    u"I feel awful. I don't feel safe.",
    u"All this fear...",
    u"It hurts... I feel so helpless...",
    u"How can I live like that?",
    u"I am struggling to live like that.",
    u"I keep running away from it, but it still has the power over me.",
    u"I am afraid that it can get even worse.",
    u"This fear is so strong... It's so heavy...",
    u"I tried everything and nothing helps...",
    u"I'm so overwhelmed ...",
    u"I wonder why this is happening to me ...",
    u"This is driving me crazy.",
    u"I suffer so much.",
    u"I cannot focus on anything.",
};

constexpr QStringView kAnxietyFearPanicPhobiaPositive[] = {
    u"I breathe slowly, deeply and naturally. I remain calm.",
    u"I realease this anxiety, I release this fear.",
    u"I release this panic. I release this phobia.",
    u"I am calm. I am relaxed. I feel great. I am safe.",
    u"I am not afraid of anything. I am so courageous and confident.",
    u"Taking deep breaths comes naturally to me and helps me relax.",
    u"I enjoy my life. Life is fun. I am in control of my life.",
    u"Handling pressure is so easy for me.",
    u"I can easily calm myself down whenver I want.",
    u"I live in peace. I am so powerful and strong.",
    u"I am detached from these bad feelings... They are not me...",
    u"I let go of all these bad feelings... I am free of them...",
    u"I am in control of my thoughts, reactions and emotions.",
    u"Everything is fine in my life.",
    u"I have overcome my fear. I won.",
    u"Feeling calm and safe is so easy.",
};

constexpr QStringView kDepressionNegative[] = {
    u"I feel awful. I don't feel safe and sound.",
    u"Why it always go so wrong?",
    u"I feel that I'm not good enough.",
    u"It all feels so wrong. It feels so heavy.",
    u"It seems that I cannot do anything about this and it's so depressing.",
    u"These problems are too big for me. It's too much.",
    u"There is so much on my shoulders, there is so much in my head.",
    u"I don't see solutions to my problems.",
    u"I don't see light in my life.",
    u"It's so tempting to give up.",
    u"All this sadness... All these troubles...",
    u"It seems like it will last forever...",
    u"So many negative thoughts... So many negative feelings...",
    u"It hurts... It feels so helpless...",
    u"I can't focus on anything.",
    u"I can't let go of this...",
};

constexpr QStringView kDepressionPositive[] = {
    u"I love myself for who I am. I love myself unconditionally.",
    u"I am in control of my thoughts and my life.",
    u"I am strong. I am stronger than I think.",
    u"I have choices. I choose new responses to old situations. ",
    u"Nobody is above me and nobody is below me.",
    u"I am safe and sound. All is well.",
    u"I am good and smart and that\u2019s how people see me.",
    u"It's okay where I am right now",
    u"I grow by doing what\u2019s hard to do.",
    u"I ask for inner peace. I let it go...",
    u"I see my true needs and choose positive ways of satisfying them.",
    u"I can trust my soul - it knows the way.",
    u"I am responsible for changing what I do not like in my life.",
    u"I will not repeat the same mistakes over and over, I will move forward.",
    u"I am not afraid. I handle my life with joy and ease.",
    u"I release myself from this depression.",
};

constexpr QStringView kHeadachesNegative[] = {
    u"I cannot relax beause of this terrible headache.",
    u"This headache is driving me crazy.",
    u"My head is about to explode. This pain only gets worse.",
    u"This debilitating pain in my head...",
    u"They told me it will be always like this.",
    u"It will always hurt and it will never go away.",
    u"I suffer so much from these headaches.",
    u"I cannot focus on anything.",
    u"Nobody understands how I feel.",
    u"I'm sick and tired of pain killers. They do not help anymore.",
    u"Sometimes I think I'll be not able to take it anymore.",
    u"Nothing works for me...",
    u"I can't stop thinking about my headache.",
    u"I can't let go of this headache.",
    u"What if this goes worse?",
};

constexpr QStringView kHeadachesPositive[] = {
    u"I'm good. I'm worthy. I'm safe.",
    u"I let go of this headache.",
    u"I release all this pain.",
    u"Letting it go... It's so easy to let it go.",
    u"I let go of all stress.",
    u"Letting go of stress is so easy...",
    u"I feel comforable.",
    u"I am at peace and relaxed.",
    u"My head feels better and better...",
    u"I can easily release pain from my body.",
    u"I'm free from this headache.",
    u"It feels so good...",
    u"I let go of negative thoughts.",
    u"I love and forgive...",
    u"I relax... I breathe deeply...",
    u"The headache is gone and will not come back.",
};

constexpr QStringView kNegativeMemoryNegative[] = {
    u"I cannot deal with my past...",
    u"I'm struggling to live with this...",
    u"I cannot do anything about this...",
    u"I cannot accept what happened...",
    u"I am paralyzed with shame and fear...",
    u"The burden is so heavy...",
    u"I have no peace...",
    u"I cannot move on from the past...",
    u"I cannot let go of this...",
    u"I cannot accept my shame...",
    u"I cannot release this.",
    u"How to resolve this?",
    u"I don't feel safe. I keep running away from my past.",
    u"It seems that I cannot do anything about this and it's so depressing.",
    u"This negative memory... It hurts so much...",
    u"I can't let go of this negative memory...",
};

constexpr QStringView kNegativeMemoryPositive[] = {
    u"I am emotionally detached from what happened.",
    u"I look at this as if it happened to someone else.",
    u"I am strong enough to deal with this negative memory.",
    u"I make peace with my past.",
    u"My past has no power over me.",
    u"I finally resolved this. I am liberated.",
    u"I am calm.",
    u"This memory has no longer the power to paralyze me.",
    u"I am in control.",
    u"I am letting go of this negative memory.",
    u"I am moving on with my life.",
    u"I let go of my past.",
    u"I have learned from my past.",
    u"I allow myself to be happy again.",
    u"I reclaimed my life.",
    u"I am so proud of myself.",
};

constexpr QStringView kGlossophobiaNegative[] = {
    u"I freeze in front of the audience.",
    u"I am so scared of taking the stage...",
    u"I  don\u2019t want to be the centre of attention.",
    u"So many things can go wrong...",
    u"What if I forget what to say?",
    u"What if people laugh at me?",
    u"What if people leave?",
    u"My mouth dries up... My voice is weak...",
    u"My body starts shaking...",
    u"These panic attacks...",
    u"These butterlfies in the stomach... These sweathy palms...",
    u"This stiffening of the neck...",
    u"I run away form any opportunity to speak in public.",
    u"I cannot sleep...",
    u"I hate talking in front of people.",
    u"I cannot control myself when speaking...",
};

constexpr QStringView kGlossophobiaPositive[] = {
    u"Meaning what I say is at the heart of my presentation.",
    u"I believe and trust my story.",
    u"I am confident in front of the audience.",
    u"I shed whatever is blocking me from expressing who I am.",
    u"I feel comfortable and relaxed.",
    u"My presentations shine and are convincing.",
    u"I am well prepared and in control.",
    u"I can concentrate for long periods of time.",
    u"I reveal the abilities I truly have.",
    u"When I speak I am captivating, enthusiastic and comfortable.",
    u"I am authentic, beliveable and genuine.",
    u"I win the crowds over.",
    u"I am a confident public speaker.",
    u"I am in the flow when I speak.",
    u"I love talking in front of people.",
    u"I have empathy for my audience.",
};

constexpr QStringView kRageAngerNegative[] = {
    u"So much anger...",
    u"I cannot remain calm and clear-minded...",
    u"All these harsh experiences...",
    u"I cannot stay calm and collected...",
    u"I am not at peace with my emotions.",
    u"I cannot heal of anger and resentment...",
    u"I cannot keep my composure.",
    u"I am not good enough.",
    u"I cannot release old hurt...",
    u"All this frustration...",
    u"I cannot let go of my anger....",
    u"I cannot go of criticism...",
    u"I cannot forgive...",
    u"I made so many mistakes.",
    u"I cannot rest in my mind.",
    u"All these problems...",
};

constexpr QStringView kRageAngerPositive[] = {
    u"My mind is clear and open.",
    u"I am good enough.",
    u"I am at peace with all of my emotions.",
    u"I let negative thoughts roll off of me.",
    u"I forgive. I am completely healed.",
    u"I focus on the positives.",
    u"I feel deeply relaxed and calm.",
    u"I am in control of my emotions.",
    u"I trust life. I always keep my composure.",
    u"It is safe to let go.",
    u"I have great experiences with ease and joy.",
    u"I let go of criticism effortlessly.",
    u"I am free of all frustration.",
    u"I peacefully rest in my mind.",
    u"I let go of my anger.",
    u"I release old hurt, anger and resentment.",
};

constexpr QStringView kSelfEsteemNegative[] = {
    u"I am worried when someone disagrees with me.",
    u"I tell people what they want to hear.",
    u"I do something which I do not want to do because I am afraid to say 'No'.",
    u"I ask permission when it is not required.",
    u"I often apologise for my words and deeds.",
    u"I soften my position when someone appears to disapprove.",
    u"I worry what others think about me.",
    u"I fear criticism.",
    u"I value the beliefs, opinions and needs of others above my own.",
    u"I behave in a non-conforming manner in order to draw attention to myself.",
    u"I sometimes express agreement when I do not agree.",
    u"I fail to complain when I have received poor service.",
    u"I am not as good as others.",
    u"I hold myrself back from speaking my opinions.",
    u"I hide my true self",
    u"I can do anything to gain approval or attention.",
};

constexpr QStringView kSelfEsteemPositive[] = {
    u"I live a life that is true to my own values.",
    u"I am honest  and humble, yet confident and strong.",
    u"I respect my right to have my own opinion.",
    u"I am true to myself.",
    u"I believe and trust my story.",
    u"I stand up for what I believe in.",
    u"I live by my own values.",
    u"I don't need anyone's approval.",
    u"I can esasily handle conflict and stressful situations.",
    u"I catch myself when I seek approval and take corrective action.",
    u"I trust myself. I am OK!",
    u"Approval seeking is a major waste of time.",
    u"I am confident, enthusiastic and comfortable.",
    u"I reveal the abilities I truly have.",
    u"I shed whatever is blocking me from expressing who I am.",
    u"I let go of seeking validation from others.",
};

constexpr QStringView kGuiltNegative[] = {
    u"I feel so guilty. I had no right to do this.",
    u"I am so angry at myself. I'm so mad at myself. I shouldn't have done it.",
    u"It's so shameful. It's so painful. It feels so heavy.",
    u"I feel like a dirty pig. It's so wrong. Why I was so stupid?",
    u"I cannot change this and it's so depressing.",
    u"I feel so embarassed and humiliated. What's wrong with me?",
    u"I should have seen the signs.",
    u"I don't know who I am anymore. I don't know what to do now.",
    u"The way I feel now is a punishment. How can I carry around this guilt?",
    u"This should never happen. I hate myself for what I've done.",
    u"This feels like the end of the world. I shold have know better.",
    u"I feel the hurt I've caused.",
    u"It's all my fault. I'm paying the price for what I've done.",
    u"I am haunted by the reality of what I have done.",
    u"Why did I do this?",
    u"I feel awful.",
};

constexpr QStringView kGuiltPositive[] = {
    u"I take responsibility for what I've done and for my life.",
    u"I cannot go back and make a brand new start, but I can start from now and make a brand new ending.",
    u"I humble myself and ask for forgiveness and correction.",
    u"I take responsibility instead of blame.",
    u"I release myself from guilt and shame.",
    u"I focus on correcting my errors, not on what I have done.",
    u"Next time I'll do the righ thing.",
    u"I am at peace. Judging is not going to change anything.",
    u"I accept things the way they are...",
    u"I created this, so I can also create the solution.",
    u"I ask for inner peace. I let it go...",
    u"I commit myself to atone for my conduct.",
    u"I have to figure out the ways to fix this.",
    u"I didn't want to do this. If I knew what I know now, I would never do this.",
    u"The past has no power over me anymore",
    u"I will never do something like that again.",
};

constexpr QStringView kPTSDNegative[] = {
    u"I cannot stop thinking about what happened.",
    u"It was so unpredictable... so uncontrollable...",
    u"It's so depressing... It is so immobilizing...",
    u"So many things reminds me about this ...",
    u"I cannot concentrate... I feel so frightened...",
    u"All this anxiety... all this shame...",
    u"I keep re-living it again and again...",
    u"Mistrust... Betrayal... It so sad...",
    u"All these memories... flashbacks... nightmares...",
    u"It feels as if it's happening again.",
    u"I feel that I have no control over my life.",
    u"I want to avoid this... I am always on guard.",
    u"It feels so hopeless... It's so hard to sleep... It's so overwhelming...",
    u"It seems that there is no future for me...",
    u"I feel stuck with these painful memories...",
    u"I feel so powerless, anxious and vulnerable",
    u"It's so numb. I feel disconnected from myself.",
};

constexpr QStringView kPTSDPositive[] = {
    u"I release the past and all these bad feelings.",
    u"I'm so powerful.",
    u"I have the strength to heal my body and mind.",
    u"I feel that I'm at home... I'm safe.",
    u"I am at ease with myself.",
    u"The past has no power over me anymore.",
    u"I have great future.",
    u"I can cope with this and come back to my real self...",
    u"I am connected to myself and others...",
    u"I trust my inner wisdom...",
    u"My worries don't define me... I love and I'm loved..",
    u"I accept myself the way I am.",
    u"I respect myself profoundly.",
    u"I am focused on creating better future.",
    u"I am moving on with my life.",
    u"I allow myself to be happy again.",
};

} // namespace

QString GetStringForNegativeSeq_AddictionsObsessions()
{
    return PhraseList(QStringLiteral("GetStringForNegativeSeq_AddictionsObsessions"), kAddictionsObsessionsNegative);
}

QString GetStringForPositiveSeq_AddictionsObsessions()
{
    return PhraseList(QStringLiteral("GetStringForPositiveSeq_AddictionsObsessions"), kAddictionsObsessionsPositive);
}

QString GetStringForNegativeSeq_AnxietyFearPanicPhobia()
{
    return PhraseList(QStringLiteral("GetStringForNegativeSeq_AnxietyFearPanicPhobia"), kAnxietyFearPanicPhobiaNegative);
}

QString GetStringForPositiveSeq_AnxietyFearPanicPhobia()
{
    return PhraseList(QStringLiteral("GetStringForPositiveSeq_AnxietyFearPanicPhobia"), kAnxietyFearPanicPhobiaPositive);
}

QString GetStringForNegativeSeq_Depression()
{
    return PhraseList(QStringLiteral("GetStringForNegativeSeq_Depression"), kDepressionNegative);
}

QString GetStringForPositiveSeq_Depression()
{
    return PhraseList(QStringLiteral("GetStringForPositiveSeq_Depression"), kDepressionPositive);
}

QString GetStringForNegativeSeq_Headaches()
{
    return PhraseList(QStringLiteral("GetStringForNegativeSeq_Headaches"), kHeadachesNegative);
}

QString GetStringForPositiveSeq_Headaches()
{
    return PhraseList(QStringLiteral("GetStringForPositiveSeq_Headaches"), kHeadachesPositive);
}

QString GetStringForNegativeSeq_NegativeMemory()
{
    return PhraseList(QStringLiteral("GetStringForNegativeSeq_NegativeMemory"), kNegativeMemoryNegative);
}

QString GetStringForPositiveSeq_NegativeMemory()
{
    return PhraseList(QStringLiteral("GetStringForPositiveSeq_NegativeMemory"), kNegativeMemoryPositive);
}

QString GetStringForNegativeSeq_Glossophobia()
{
    return PhraseList(QStringLiteral("GetStringForNegativeSeq_Glossophobia"), kGlossophobiaNegative);
}

QString GetStringForPositiveSeq_Glossophobia()
{
    return PhraseList(QStringLiteral("GetStringForPositiveSeq_Glossophobia"), kGlossophobiaPositive);
}

QString GetStringForNegativeSeq_RageAnger()
{
    return PhraseList(QStringLiteral("GetStringForNegativeSeq_RageAnger"), kRageAngerNegative);
}

QString GetStringForPositiveSeq_RageAnger()
{
    return PhraseList(QStringLiteral("GetStringForPositiveSeq_RageAnger"), kRageAngerPositive);
}

QString GetStringForNegativeSeq_SelfEsteem()
{
    return PhraseList(QStringLiteral("GetStringForNegativeSeq_SelfEsteem"), kSelfEsteemNegative);
}

QString GetStringForPositiveSeq_SelfEsteem()
{
    return PhraseList(QStringLiteral("GetStringForPositiveSeq_SelfEsteem"), kSelfEsteemPositive);
}

QString GetStringForNegativeSeq_Guilt()
{
    return PhraseList(QStringLiteral("GetStringForNegativeSeq_Guilt"), kGuiltNegative);
}

QString GetStringForPositiveSeq_Guilt()
{
    return PhraseList(QStringLiteral("GetStringForPositiveSeq_Guilt"), kGuiltPositive);
}

QString GetStringForNegativeSeq_PTSD()
{
    return PhraseList(QStringLiteral("GetStringForNegativeSeq_PTSD"), kPTSDNegative);
}

QString GetStringForPositiveSeq_PTSD()
{
    return PhraseList(QStringLiteral("GetStringForPositiveSeq_PTSD"), kPTSDPositive);
}
