#include "App/Application/LookAndFeel/PlaceholderSubstitution.h"

#include <gtest/gtest.h>

#include <random>

namespace Talvex::Test {

namespace {

using App::PlaceholderSubstitution;
using Method = PlaceholderSubstitution::Method;
using Substitutions = QMap<QString, QString>;

// The text after substitution, and which way it was done.
std::pair<QString, Method> Substituted(QString text, const Substitutions& substitutions)
{
    const Method used = PlaceholderSubstitution(substitutions).Apply(text);
    return {text, used};
}

QString ByLoop(QString text, const Substitutions& substitutions)
{
    PlaceholderSubstitution::ApplyByLoop(text, substitutions);
    return text;
}

} // namespace

TEST(PlaceholderSubstitution, ShorterPlaceholderWinsWhereBothMatch)
{
    const Substitutions fonts{{"@font", "Sans"}, {"@fontBold", "Sans Bold"}, {"@size", "9pt"}};
    const auto [text, method] = Substituted("a: @fontBold @font @size; @@ @none", fonts);
    EXPECT_EQ(text, "a: SansBold Sans 9pt; @@ @none");
    EXPECT_EQ(method, Method::OnePass);
    EXPECT_EQ(Substituted("@font", {}).first, "@font");
}

TEST(PlaceholderSubstitution, FallsBackWhereOnePassCouldDiffer)
{
    const std::tuple<const char*, Substitutions, QString> cases[] = {
        {"replacement holds @", {{"@a", "@b"}, {"@b", "B"}}, "@a @b"},
        {"key holds @ inside", {{"@a@b", "X"}, {"@b", "B"}}, "@a@b"},
        {"replacement joins the text before it", {{"@a", "x"}, {"@bx", "Y"}}, "@b@a"},
        {"replacement joins across two replacements", {{"@a", "c"}, {"@b", "d"}, {"@zcd", "Y"}}, "@z@a@b"},
        {"key spans a line break", {{"@a\nb", "X"}, {"@a", "A"}}, "@a\nb"},
    };
    for (const auto& [name, map, text] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Substituted(text, map), std::make_pair(ByLoop(text, map), Method::Loop));
    }
}

// Short words over a tiny alphabet, so keys are often prefixes of each other and
// replacements often join with their surroundings into further keys.
TEST(PlaceholderSubstitution, MatchesTheAscendingKeyLoopOnGeneratedInputs)
{
    std::mt19937 random(20240611);
    const auto below = [&](int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random); };
    const auto word = [&](const QString& alphabet, int maxLength) {
        QString word;
        for (int i = below(maxLength + 1); i > 0; --i) {
            word.append(alphabet.at(below(alphabet.size())));
        }
        return word;
    };
    int onePass = 0;
    PlaceholderSubstitution reused;
    for (int round = 0; round < 40000; ++round) {
        const bool adversarial = round % 2 == 1;
        Substitutions map;
        for (int i = 1 + below(6); i > 0; --i) {
            map.insert("@" + word(adversarial ? "ab@\n" : "ab", 3), word(adversarial ? "ab@x" : "abx ", 4));
        }
        const QString text = word(adversarial ? "ab@x\n" : "ab@ ", 24);
        const auto [fast, method] = Substituted(text, map);
        ASSERT_EQ(fast, ByLoop(text, map)) << "text: " << text.toStdString() << " round " << round;
        onePass += method == Method::OnePass ? 1 : 0;

        // A matcher kept from the previous round, then the same keys with other texts.
        Substitutions sameKeys = map;
        for (QString& value : sameKeys) {
            value = word(adversarial ? "ab@x" : "abx ", 4);
        }
        for (const Substitutions* current : {&map, &sameKeys}) {
            reused.Reset(*current);
            QString again = text;
            reused.Apply(again);
            ASSERT_EQ(again, ByLoop(text, *current)) << "reused matcher, round " << round;
        }

        // The same text as two sheet parts, each followed by a line break.
        const int cut = below(text.size() + 1);
        const QStringList parts{text.left(cut), text.mid(cut)};
        QString assembled = "stale";
        PlaceholderSubstitution(map).Assemble(parts, assembled);
        ASSERT_EQ(assembled, ByLoop(parts.join('\n') + '\n', map)) << "parts cut at " << cut << " round " << round;
    }
    // The comparison is only worth something if most inputs took the fast path.
    EXPECT_GT(onePass, 20000);
}

} // namespace Talvex::Test
