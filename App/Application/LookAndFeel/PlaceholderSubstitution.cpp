#include "App/Application/LookAndFeel/PlaceholderSubstitution.h"

#include <algorithm>

namespace Talvex::App {

namespace {

const QChar AT = QLatin1Char('@');

bool IsSinglePassKey(const QString& key)
{
    return !key.isEmpty() && key.at(0) == AT && key.indexOf(AT, 1) < 0 && !key.contains(QLatin1Char('\n'));
}

} // namespace

PlaceholderSubstitution::PlaceholderSubstitution(const QMap<QString, QString>& substitutions)
    : substitutions(substitutions)
{
    Build();
}

void PlaceholderSubstitution::Reset(const QMap<QString, QString>& replacement)
{
    if (!HoldsKeysOf(replacement)) {
        substitutions = replacement;
        entries.clear();
        nodes.assign(1, Node());
        asciiRoot = EmptyRoot();
        Build();
        return;
    }
    substitutions = replacement;
    onePassPossible = keysAllowOnePass;
    auto entry = entries.begin();
    for (auto it = replacement.cbegin(); it != replacement.cend(); ++it, ++entry) {
        entry->second = it.value();
        onePassPossible = onePassPossible && !it.value().contains(AT);
    }
}

// Only a complete trie can be reused: Build() stops at the first key it cannot take.
bool PlaceholderSubstitution::HoldsKeysOf(const QMap<QString, QString>& replacement) const
{
    if (!keysAllowOnePass || entries.size() != static_cast<std::size_t>(replacement.size())) {
        return false;
    }
    auto entry = entries.cbegin();
    for (auto it = replacement.cbegin(); it != replacement.cend(); ++it, ++entry) {
        if (it.key() != entry->first) {
            return false;
        }
    }
    return true;
}

void PlaceholderSubstitution::Build()
{
    keysAllowOnePass = onePassPossible = true;
    entries.reserve(static_cast<std::size_t>(substitutions.size()));
    std::size_t characters = 1;
    for (auto it = substitutions.cbegin(); it != substitutions.cend(); ++it) {
        characters += static_cast<std::size_t>(it.key().size());
    }
    nodes.reserve(characters);
    for (auto it = substitutions.cbegin(); it != substitutions.cend(); ++it) {
        if (!IsSinglePassKey(it.key())) {
            keysAllowOnePass = onePassPossible = false;
            entries.clear();
            return;
        }
        onePassPossible = onePassPossible && !it.value().contains(AT);
        entries.emplace_back(it.key(), it.value());
        Insert(it.key(), static_cast<int>(entries.size()) - 1);
    }
}

std::array<int, 128> PlaceholderSubstitution::EmptyRoot()
{
    std::array<int, 128> root;
    root.fill(-1);
    return root;
}

void PlaceholderSubstitution::Insert(const QString& key, int entry)
{
    int node = 0;
    for (int i = 1; i < key.size(); ++i) {
        const char16_t character = key.at(i).unicode();
        int next = Child(node, character);
        if (next < 0) {
            next = static_cast<int>(nodes.size());
            Node child;
            child.character = character;
            child.nextSibling = nodes[static_cast<std::size_t>(node)].firstChild;
            nodes.push_back(child);
            nodes[static_cast<std::size_t>(node)].firstChild = next;
            if (node == 0 && character < asciiRoot.size()) {
                asciiRoot[character] = next;
            }
        }
        node = next;
    }
    nodes[static_cast<std::size_t>(node)].entry = entry;
}

// Inlined: the scan calls it for every character of every placeholder it meets.
Q_ALWAYS_INLINE int PlaceholderSubstitution::Child(int node, char16_t character) const
{
    if (node == 0 && character < asciiRoot.size()) {
        return asciiRoot[character];
    }
    for (int child = nodes[static_cast<std::size_t>(node)].firstChild; child >= 0;
         child = nodes[static_cast<std::size_t>(child)].nextSibling) {
        if (nodes[static_cast<std::size_t>(child)].character == character) {
            return child;
        }
    }
    return -1;
}

int PlaceholderSubstitution::MatchAt(const QChar* text, int size, int position) const
{
    int node = 0;
    for (int i = position + 1;; ++i) {
        const int entry = nodes[static_cast<std::size_t>(node)].entry;
        if (entry >= 0) {
            return entry;
        }
        if (i >= size) {
            return -1;
        }
        node = Child(node, text[i].unicode());
        if (node < 0) {
            return -1;
        }
    }
}

// Two passes: the first finds the keys and the size of the result, the second copies
// each run of text and each value once into the grown result, which costs far less than
// two appends per placeholder in a sheet of thousands.
void PlaceholderSubstitution::ScanOnce(const QString& text, QString& result, std::vector<int>& unmatched) const
{
    const QChar* data = text.constData();
    const int start = static_cast<int>(result.size());
    int growth = 0;
    std::vector<std::pair<int, int>> matches; // position in `text`, entry
    for (int at = text.indexOf(AT); at >= 0; at = text.indexOf(AT, at + 1)) {
        const int entry = MatchAt(data, text.size(), at);
        if (entry < 0) {
            unmatched.push_back(start + at + growth);
            continue;
        }
        const auto& [key, value] = entries[static_cast<std::size_t>(entry)];
        matches.emplace_back(at, entry);
        growth += static_cast<int>(value.size() - key.size());
        at += static_cast<int>(key.size()) - 1;
    }
    result.resize(start + static_cast<int>(text.size()) + growth);
    QChar* out = result.data() + start;
    int copied = 0;
    for (const auto& [at, entry] : matches) {
        const auto& [key, value] = entries[static_cast<std::size_t>(entry)];
        out = std::copy(data + copied, data + at, out);
        out = std::copy(value.constData(), value.constData() + value.size(), out);
        copied = at + static_cast<int>(key.size());
    }
    std::copy(data + copied, data + text.size(), out);
}

bool PlaceholderSubstitution::JoinsIntoKey(const QString& result, const std::vector<int>& unmatched) const
{
    return std::any_of(unmatched.begin(), unmatched.end(),
                       [&](int position) { return MatchAt(result.constData(), result.size(), position) >= 0; });
}

PlaceholderSubstitution::Method PlaceholderSubstitution::Apply(QString& text) const
{
    if (substitutions.isEmpty()) {
        return Method::OnePass;
    }
    if (onePassPossible) {
        QString result;
        result.reserve(text.size() + text.size() / 4);
        std::vector<int> unmatched;
        ScanOnce(text, result, unmatched);
        if (!JoinsIntoKey(result, unmatched)) {
            text = std::move(result);
            return Method::OnePass;
        }
    }
    ApplyByLoop(text, substitutions);
    return Method::Loop;
}

PlaceholderSubstitution::Method PlaceholderSubstitution::Assemble(const QStringList& parts, QString& result) const
{
    int size = 0;
    for (const QString& part : parts) {
        size += part.size() + 1;
    }
    result.resize(0);
    result.reserve(size + size / 4);
    if (onePassPossible) {
        std::vector<int> unmatched;
        for (const QString& part : parts) {
            ScanOnce(part, result, unmatched);
            result.append(QLatin1Char('\n'));
        }
        if (!JoinsIntoKey(result, unmatched)) {
            return Method::OnePass;
        }
        result.resize(0);
    }
    for (const QString& part : parts) {
        result.append(part).append(QLatin1Char('\n'));
    }
    ApplyByLoop(result, substitutions);
    return Method::Loop;
}

void PlaceholderSubstitution::ApplyByLoop(QString& text, const QMap<QString, QString>& substitutions)
{
    for (auto it = substitutions.cbegin(); it != substitutions.cend(); ++it) {
        text.replace(it.key(), it.value(), Qt::CaseSensitive);
    }
}

} // namespace Talvex::App
