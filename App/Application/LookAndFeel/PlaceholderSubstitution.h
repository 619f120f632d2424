#pragma once

#include <TalvexExport.h>

#include <QMap>
#include <QString>
#include <QStringList>

#include <array>
#include <utility>
#include <vector>

namespace Talvex::App {

// Replaces font-name placeholders ("@" name) in a style sheet with exactly the result
// of the defining loop: for every placeholder in ascending key order, replace all its
// occurrences in the current text. That loop rescans the whole sheet once per
// placeholder, which is too slow for a theme switch, so Apply() normally makes one
// scan that stops at each "@" and substitutes the shortest placeholder found there.
//
// Why one scan gives the same text, provided (1) no key has "@" after its first
// character, (2) no replacement text contains "@", and (3) no "@" left in the output
// starts a placeholder:
// - By (1) an occurrence of any key covers only its own leading "@", so occurrences
//   never overlap except when they start at the same "@"; the keys found at one "@"
//   are prefixes of one another, and a prefix sorts first, so the loop also replaces
//   the shortest one there, before any longer key gets its turn.
// - By (2) a replacement never creates an "@", so a later key can only start at an
//   "@" of the original text. Such an "@" that matched nothing at first can start a
//   key later only when the replacement of the next "@" joins with the text around
//   it, and the joined text is then a prefix of our output at that "@". (3) rules
//   that out; it is checked on the finished output, which is cheap because only
//   unmatched "@"s need looking at.
// When (1) or (2) fails, or (3) finds a join, Apply() runs the loop instead, so the
// result is always the loop's; the loop is also kept as the reference for tests.
//
// Assemble() scans the parts of a sheet one by one straight into a buffer that keeps
// its memory from one theme switch to the next (fresh pages cost more than the scan).
// That equals scanning the joined text as long as no key spans the line break after
// a part, so a key holding a line break also sends it to the loop.
class TALVEX_EXPORT PlaceholderSubstitution {
public:
    enum class Method { OnePass, Loop };

    PlaceholderSubstitution() = default;
    explicit PlaceholderSubstitution(const QMap<QString, QString>& substitutions);

    // Replaces the substitutions. The matcher depends only on the keys, so when they are
    // the keys already held (as when switching between themes that define the same
    // placeholders) it is kept and only the replacement texts change.
    void Reset(const QMap<QString, QString>& replacement);

    // Substitutes in place and says which method produced the text.
    Method Apply(QString& text) const;

    // Sets `result` to every part followed by a line break, substituted; `result`
    // keeps its capacity for the next call.
    Method Assemble(const QStringList& parts, QString& result) const;

    static void ApplyByLoop(QString& text, const QMap<QString, QString>& substitutions);

private:
    // Children are a list through `nextSibling`; the first characters of ASCII keys are
    // also found through `asciiRoot`, since the root has the most children.
    struct Node {
        char16_t character = 0;
        int entry = -1; // index into `entries` of the key ending here
        int firstChild = -1;
        int nextSibling = -1;
    };

    static std::array<int, 128> EmptyRoot();
    bool HoldsKeysOf(const QMap<QString, QString>& replacement) const;
    void Build();
    void Insert(const QString& key, int entry);
    int Child(int node, char16_t character) const;
    // The entry of the shortest key starting at `position`, or -1.
    int MatchAt(const QChar* text, int size, int position) const;
    void ScanOnce(const QString& text, QString& result, std::vector<int>& unmatched) const;
    bool JoinsIntoKey(const QString& result, const std::vector<int>& unmatched) const;

    QMap<QString, QString> substitutions;
    std::vector<std::pair<QString, QString>> entries;
    std::vector<Node> nodes{1}; // a trie of the keys after their leading "@"
    std::array<int, 128> asciiRoot = EmptyRoot();
    bool keysAllowOnePass = true;
    bool onePassPossible = true;
};

} // namespace Talvex::App
