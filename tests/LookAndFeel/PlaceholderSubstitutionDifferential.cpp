#include "App/Application/LookAndFeel/PlaceholderSubstitution.h"

#include <gtest/gtest.h>

#include <random>

namespace Talvex::Test {

namespace {

using App::PlaceholderSubstitution;
using Method = PlaceholderSubstitution::Method;
using Substitutions = QMap<QString, QString>;

QString Substituted(QString text, const Substitutions& substitutions, Method* method = nullptr)
{
    const Method used = PlaceholderSubstitution(substitutions).Apply(text);
    if (method) {
        *method = used;
    }
    return text;
}

QString ByLoop(QString text, const Substitutions& substitutions)
{
    PlaceholderSubstitution::ApplyByLoop(text, substitutions);
    return text;
}

// Short words over a tiny alphabet, so keys are often prefixes of each other and
// replacements often join with their surroundings into further keys.
class Generator {
public:
    explicit Generator(unsigned seed) : random(seed) {}

    QString Word(const QString& alphabet, int maxLength)
    {
        QString word;
        const int length = Below(maxLength + 1);
        for (int i = 0; i < length; ++i) {
            word.append(alphabet.at(Below(alphabet.size())));
        }
        return word;
    }

    Substitutions Map(bool adversarial)
    {
        Substitutions map;
        const int count = 1 + Below(6);
        for (int i = 0; i < count; ++i) {
            map.insert("@" + Word(adversarial ? "ab@\n" : "ab", 3), Word(adversarial ? "ab@x" : "abx ", 4));
        }
        return map;
    }

    int Below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random); }

private:
    std::mt19937 random;
};

} // namespace

TEST(PlaceholderSubstitution, ShorterPlaceholderWinsWhereBothMatch)
{
    const Substitutions fonts{{"@font", "Sans"}, {"@fontBold", "Sans Bold"}, {"@size", "9pt"}};
    Method method;
    EXPECT_EQ(Substituted("a: @fontBold @font @size; @@ @none", fonts, &method), "a: SansBold Sans 9pt; @@ @none");
    EXPECT_EQ(method, Method::OnePass);
    EXPECT_EQ(Substituted("", fonts), "");
    EXPECT_EQ(Substituted("@font", {}), "@font");
}

TEST(PlaceholderSubstitution, FallsBackWhereOnePassCouldDiffer)
{
    struct Case {
        const char* name;
        Substitutions map;
        QString text;
    };
    const Case cases[] = {
        {"replacement holds @", {{"@a", "@b"}, {"@b", "B"}}, "@a @b"},
        {"key holds @ inside", {{"@a@b", "X"}, {"@b", "B"}}, "@a@b"},
        {"replacement joins the text before it", {{"@a", "x"}, {"@bx", "Y"}}, "@b@a"},
        {"replacement joins across two replacements", {{"@a", "c"}, {"@b", "d"}, {"@zcd", "Y"}}, "@z@a@b"},
        {"key spans a line break", {{"@a\nb", "X"}, {"@a", "A"}}, "@a\nb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Method method;
        EXPECT_EQ(Substituted(c.text, c.map, &method), ByLoop(c.text, c.map));
        EXPECT_EQ(method, Method::Loop);
    }
}

TEST(PlaceholderSubstitution, MatchesTheAscendingKeyLoopOnGeneratedInputs)
{
    Generator generate(20240611);
    int onePass = 0;
    for (int round = 0; round < 40000; ++round) {
        const bool adversarial = round % 2 == 1;
        const Substitutions map = generate.Map(adversarial);
        const QString text = generate.Word(adversarial ? "ab@x\n" : "ab@ ", 24);
        Method method;
        const QString fast = Substituted(text, map, &method);
        const QString reference = ByLoop(text, map);
        ASSERT_EQ(fast, reference) << "text: " << text.toStdString() << " round " << round;
        onePass += method == Method::OnePass ? 1 : 0;

        // The same text as two sheet parts, each followed by a line break.
        const int cut = generate.Below(text.size() + 1);
        const QStringList parts{text.left(cut), text.mid(cut)};
        QString assembled = "stale";
        PlaceholderSubstitution(map).Assemble(parts, assembled);
        ASSERT_EQ(assembled, ByLoop(parts.join('\n') + '\n', map)) << "parts cut at " << cut << " round " << round;
    }
    // The comparison is only worth something if most inputs took the fast path.
    EXPECT_GT(onePass, 20000);
}

} // namespace Talvex::Test
