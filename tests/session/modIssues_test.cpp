// The issue table, the set-up statements and the phrase lists.
#include "TestSupport.h"
#include "session/modIssues.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

IssueEnum I(int v) { return static_cast<IssueEnum>(v); }

const QString CRLF = QStringLiteral("\r\n");

TEST(IssueTable, NamesOfEveryIssueAndOfValuesOutside)
{
    const std::vector<std::pair<int, QString>> rows = {
        {0, "NA"},
        {10, "Addiction or obsession"},
        {20, "Anxiety, fear, panic, phobia"},
        {30, "Depression"},
        {40, "Headaches"},
        {50, "Negative memory"},
        {60, "PTSD"},
        {70, "Public Speaking"},
        {80, "Rage or anger"},
        {90, "Self-esteem issues"},
        {100, "Trauma"},
        {110, "Guilt"},
        {120, "PTSD, Trauma"},
        {15, ""}, {-10, ""}, {130, ""}, {1, ""}, {INT_MIN, ""}, {INT_MAX, ""},
    };
    for (const auto& [v, name] : rows)
        EXPECT_EQ(GetIssueName(I(v)), name) << v;
}

TEST(IssueTable, OptionIndexesMapBothWays)
{
    for (int i = 1; i <= 12; ++i) {
        EXPECT_EQ(IssueOptIndexToEnum(i), i * 10);
        EXPECT_EQ(IssueEnumToOptIndex(IssueOptIndexToEnum(i)), i);
    }
    for (int i : {0, -1, 13, 100, INT_MIN, INT_MAX})
        EXPECT_EQ(IssueOptIndexToEnum(i), issNone) << i;
    for (int v : {0, 5, 15, -10, -120, 130, 121, INT_MIN, INT_MAX})
        EXPECT_EQ(IssueEnumToOptIndex(I(v)), 0) << v;
}

TEST(IssueTable, DefaultIsNegativeMemoryOption5)
{
    EXPECT_EQ(GetDefaultIssue(), issNegativeMemory);
    EXPECT_EQ(IssueEnumToOptIndex(GetDefaultIssue()), 5);
    EXPECT_EQ(GetIssueName(GetDefaultIssue()), QStringLiteral("Negative memory"));
}

// ---- Set-up statements ----------------------------------------------------------------------

const QString kInstruction = QStringLiteral(
    "Breath deeply and lightly tap with the index finger and middle finger a 'karate chop' point, repeating the "
    "introduction sentence:");
const QString kClosing = QStringLiteral(" I love and accept myself with all my heart.");

QString WithInstruction(const QString& lastLine) { return kInstruction + CRLF + CRLF + lastLine; }

TEST(SetUpStatement, EveryIssueAndTheFallback)
{
    const QString unknown = WithInstruction(QStringLiteral("Even though ... [your problem here]") + kClosing);
    const QString trauma = WithInstruction(QStringLiteral("Even though I was exposed to this traumatic event [your trauma here]") + kClosing);
    const std::vector<std::pair<int, QString>> rows = {
        {10, WithInstruction(QStringLiteral("Even though I have this addiction (obsession) [your problem here]  I love and "
                                  "accept myself with all my heart."))},
        {20, WithInstruction(QStringLiteral("Even though I have this anxiety (fear, panic, phobia)") + kClosing)},
        {30, kInstruction + QStringLiteral("\r\n\r\nEven though I have this depression I love and accept myself with "
                                           "all my heart.")},
        {40, QStringLiteral("Headaches are the number one reason we visit our doctors.\r\n\r\n")
                 + WithInstruction(QStringLiteral("Even though I have this headache") + kClosing)},
        {50, WithInstruction(QStringLiteral("Even though I have this negative memory [your problem here]") + kClosing)},
        {60, trauma},
        {70, WithInstruction(QStringLiteral("Even though I have this fear of public speaking") + kClosing)},
        {80, WithInstruction(QStringLiteral("Even though I have this anger [your problem here]") + kClosing)},
        {90, WithInstruction(QStringLiteral("Even though I have so low self esteem") + kClosing)},
        {100, WithInstruction(QStringLiteral("Even though I have this trauma [your problem here]") + kClosing)},
        {110, WithInstruction(QStringLiteral("Even though I have this guilt") + kClosing)},
        {120, trauma},
        {0, unknown}, {15, unknown}, {-10, unknown}, {130, unknown},
    };
    for (const auto& [v, text] : rows)
        EXPECT_EQ(GetStringForActivationStep(I(v)), text) << v;
}

TEST(SetUpStatement, TheDetailsThatAreEasyToLose)
{
    // Issue 10: its statement ends with a blank and the closing begins with one.
    EXPECT_TRUE(GetStringForActivationStep(issAddictionsObsessions).contains(QStringLiteral("[your problem here]  I love")));
    // Only issue 40 carries a note ahead of the instruction.
    EXPECT_TRUE(GetStringForActivationStep(issHeadaches)
                    .startsWith(QStringLiteral("Headaches are the number one reason we visit our doctors.\r\n\r\nBreath")));
    for (int v = 0; v <= 120; v += 10) {
        if (v != 40) {
            EXPECT_TRUE(GetStringForActivationStep(I(v)).startsWith(kInstruction)) << v;
        }
    }
    // Only issues without a statement get the "... " filler.
    for (int v = 10; v <= 120; v += 10)
        EXPECT_FALSE(GetStringForActivationStep(I(v)).contains(QStringLiteral("..."))) << v;
    EXPECT_TRUE(GetStringForActivationStep(issNone).endsWith(
        QStringLiteral("\r\nEven though ... [your problem here] I love and accept myself with all my heart.")));
    EXPECT_EQ(GetStringForActivationStep(issPTSD), GetStringForActivationStep(issPTSDTrauma));
    EXPECT_NE(GetStringForActivationStep(issTrauma), GetStringForActivationStep(issPTSDTrauma));
}

// ---- Phrase lists ---------------------------------------------------------------------------

struct ListRow {
    IssueEnum issue;
    QString (*negative)();
    QString (*positive)();
    int negativeCount;
    int positiveCount;
    const char16_t* negativeFirst;
    const char16_t* negativeLast;
    const char16_t* positiveFirst;
    const char16_t* positiveLast;
};

const std::vector<ListRow> kLists = {
    {issAddictionsObsessions, GetStringForNegativeSeq_AddictionsObsessions,
     GetStringForPositiveSeq_AddictionsObsessions, 13, 16, u"I cannot control myself.", u"It's hard to breathe...",
     u"Pain is the source of my addiction; I release this pain now.", u"It's so easy to turn down bad things."},
    {issAnxietyFearPanicPhobia, GetStringForNegativeSeq_AnxietyFearPanicPhobia,
     GetStringForPositiveSeq_AnxietyFearPanicPhobia, 16, 16, u"I cannot calm myself down.",
     u"I cannot focus on anything.", u"I breathe slowly, deeply and naturally. I remain calm.",
     u"Feeling calm and safe is so easy."},
    {issDepression, GetStringForNegativeSeq_Depression, GetStringForPositiveSeq_Depression, 16, 16,
     u"I feel awful. I don't feel safe and sound.", u"I can't let go of this...",
     u"I love myself for who I am. I love myself unconditionally.", u"I release myself from this depression."},
    {issHeadaches, GetStringForNegativeSeq_Headaches, GetStringForPositiveSeq_Headaches, 15, 16,
     u"I cannot relax beause of this terrible headache.", u"What if this goes worse?",
     u"I'm good. I'm worthy. I'm safe.", u"The headache is gone and will not come back."},
    {issNegativeMemory, GetStringForNegativeSeq_NegativeMemory, GetStringForPositiveSeq_NegativeMemory, 16, 16,
     u"I cannot deal with my past...", u"I can't let go of this negative memory...",
     u"I am emotionally detached from what happened.", u"I am so proud of myself."},
    {issGlossophobia, GetStringForNegativeSeq_Glossophobia, GetStringForPositiveSeq_Glossophobia, 16, 16,
     u"I freeze in front of the audience.", u"I cannot control myself when speaking...",
     u"Meaning what I say is at the heart of my presentation.", u"I have empathy for my audience."},
    {issRageAnger, GetStringForNegativeSeq_RageAnger, GetStringForPositiveSeq_RageAnger, 16, 16,
     u"So much anger...", u"All these problems...", u"My mind is clear and open.",
     u"I release old hurt, anger and resentment."},
    {issSelfEsteem, GetStringForNegativeSeq_SelfEsteem, GetStringForPositiveSeq_SelfEsteem, 16, 16,
     u"I am worried when someone disagrees with me.", u"I can do anything to gain approval or attention.",
     u"I live a life that is true to my own values.", u"I let go of seeking validation from others."},
    {issGuilt, GetStringForNegativeSeq_Guilt, GetStringForPositiveSeq_Guilt, 16, 16,
     u"I feel so guilty. I had no right to do this.", u"I feel awful.",
     u"I take responsibility for what I've done and for my life.", u"I will never do something like that again."},
    {issPTSDTrauma, GetStringForNegativeSeq_PTSD, GetStringForPositiveSeq_PTSD, 17, 16,
     u"I cannot stop thinking about what happened.", u"It's so numb. I feel disconnected from myself.",
     u"I release the past and all these bad feelings.", u"I allow myself to be happy again."},
};

QStringList Phrases(const QString& list) { return list.split(CRLF); }

TEST(PhraseLists, EachIssueGetsItsOwnListsWholeWithTheirPhraseCounts)
{
    for (const auto& r : kLists) {
        SCOPED_TRACE(r.issue);
        const QString neg = GetStringForNegativeSequence(r.issue);
        const QString pos = GetStringForPositiveSequence(r.issue);
        EXPECT_EQ(neg, r.negative());
        EXPECT_EQ(pos, r.positive());
        EXPECT_NE(neg, pos);
        for (const auto& [text, count, first, last] :
             {std::tuple{neg, r.negativeCount, r.negativeFirst, r.negativeLast},
              std::tuple{pos, r.positiveCount, r.positiveFirst, r.positiveLast}}) {
            const QStringList phrases = Phrases(text);
            EXPECT_EQ(phrases.size(), count);
            EXPECT_EQ(text.count(CRLF), count - 1);
            // CR and LF only come as pairs between phrases: none at either end, no empty phrase.
            EXPECT_EQ(text.count(QLatin1Char('\r')), count - 1);
            EXPECT_EQ(text.count(QLatin1Char('\n')), count - 1);
            EXPECT_FALSE(text.startsWith(QLatin1Char('\r')) || text.startsWith(QLatin1Char('\n')));
            EXPECT_FALSE(text.endsWith(QLatin1Char('\r')) || text.endsWith(QLatin1Char('\n')));
            for (const QString& p : phrases)
                EXPECT_FALSE(p.trimmed().isEmpty());
            EXPECT_EQ(phrases.first(), QString::fromUtf16(first));
            EXPECT_EQ(phrases.last(), QString::fromUtf16(last));
        }
    }
}

TEST(PhraseLists, PlaceholdersForIssuesWithoutLists)
{
    EXPECT_EQ(GetStringForNegativeSequence(issPTSD), QStringLiteral("\r\n(PTSD)\r\nNegative\r\n\r\n"));
    EXPECT_EQ(GetStringForPositiveSequence(issPTSD), QStringLiteral("\r\n(PTSD)\r\nPositive\r\n\r\n"));
    EXPECT_EQ(GetStringForNegativeSequence(issTrauma), QStringLiteral("\r\n(Trauma)\r\nNegative\r\n\r\n"));
    EXPECT_EQ(GetStringForPositiveSequence(issTrauma), QStringLiteral("\r\n(Trauma)\r\nPositive\r\n\r\n"));
    for (int v : {0, 15, -10, 130, INT_MIN}) {
        EXPECT_EQ(GetStringForNegativeSequence(I(v)), QStringLiteral("\r\n()\r\n\r\n")) << v;
        EXPECT_EQ(GetStringForPositiveSequence(I(v)), QStringLiteral("\r\n()\r\n\r\n")) << v;
    }
}

// Every phrase of every list, tagged with where it stands.
struct Located {
    QString where;
    QString phrase;
};

std::vector<Located> AllPhrases()
{
    std::vector<Located> all;
    for (const auto& r : kLists) {
        const QStringList neg = Phrases(r.negative());
        const QStringList pos = Phrases(r.positive());
        for (int i = 0; i < neg.size(); ++i)
            all.push_back({QStringLiteral("negative %1 #%2").arg(int(r.issue)).arg(i + 1), neg[i]});
        for (int i = 0; i < pos.size(); ++i)
            all.push_back({QStringLiteral("positive %1 #%2").arg(int(r.issue)).arg(i + 1), pos[i]});
    }
    return all;
}

TEST(PhraseLists, ExactCharactersStandWhereTheyBelongAndNowhereElse)
{
    const std::vector<std::pair<QString, QString>> exact = {
        {"positive 10 #2", QString::fromUtf16(u"I am free.\u00A0I can do anything\u00A0I want. I love life.")},
        {"positive 30 #7", QString::fromUtf16(u"I am good and smart and that\u2019s how people see me.")},
        {"positive 30 #9", QString::fromUtf16(u"I grow by doing what\u2019s hard to do.")},
        {"negative 70 #3", QString::fromUtf16(u"I  don\u2019t want to be the centre of attention.")},
        {"positive 90 #2", QStringLiteral("I am honest  and humble, yet confident and strong.")},
        {"positive 30 #4", QStringLiteral("I have choices. I choose new responses to old situations. ")},
    };
    const auto all = AllPhrases();
    for (const auto& [where, phrase] : exact) {
        bool found = false;
        for (const auto& p : all)
            if (p.where == where) {
                EXPECT_EQ(p.phrase, phrase) << where.toStdString();
                found = true;
            }
        EXPECT_TRUE(found) << where.toStdString();
    }
    auto isNamed = [&](const QString& where) {
        for (const auto& e : exact)
            if (e.first == where)
                return true;
        return false;
    };
    for (const auto& p : all) {
        if (isNamed(p.where))
            continue;
        const std::string where = p.where.toStdString();
        EXPECT_FALSE(p.phrase.contains(QChar(0x00A0))) << where;
        EXPECT_FALSE(p.phrase.contains(QChar(0x2019))) << where;
        EXPECT_FALSE(p.phrase.contains(QStringLiteral("  "))) << where;
        EXPECT_FALSE(p.phrase.startsWith(QLatin1Char(' ')) || p.phrase.endsWith(QLatin1Char(' '))) << where;
        for (QChar c : p.phrase)
            EXPECT_TRUE(c.unicode() >= 0x20 && c.unicode() < 0x7F) << where;
    }
}

TEST(PhraseLists, SharedPhrasesAreCopiedIntoEachList)
{
    const QString innerPeace = QStringLiteral("I ask for inner peace. I let it go...");
    EXPECT_EQ(Phrases(GetStringForPositiveSeq_Depression()).at(9), innerPeace);
    EXPECT_EQ(Phrases(GetStringForPositiveSeq_Guilt()).at(10), innerPeace);
}

} // namespace
