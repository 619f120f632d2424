#include "App/Application/LookAndFeel/SubstitutionFileParser_p.h"

#include <array>
#include <cstring>

namespace Talvex::App {
namespace {

// Deeper values are rare enough in a substitution file to leave to Qt.
constexpr int MAX_DEPTH = 32;
// Up to nine digits an integer reads back in Qt's spelling of it.
constexpr int MAX_PLAIN_DIGITS = 9;

struct GiveUp {};

// What a byte inside a string is to the reader: part of the text, or its end, an
// escape or something left to Qt (control characters and anything not ASCII).
enum : unsigned char { PLAIN, SPECIAL };
constexpr std::array<unsigned char, 256> CLASSES = [] {
    std::array<unsigned char, 256> classes{};
    for (std::size_t c = 0; c < classes.size(); ++c) {
        classes[c] = c >= 0x20 && c < 0x7f && c != '"' && c != '\\' ? PLAIN : SPECIAL;
    }
    return classes;
}();

using Entries = SubstitutionFileParser::Entries;

// One pass over the text. Every method throws GiveUp where Qt's answer could differ
// from ours (including where Qt would fail), so that the caller asks Qt instead.
class Cursor {
public:
    explicit Cursor(const QByteArray& bytes) : at(bytes.constData()), end(bytes.constData() + bytes.size()) {}

    void SkipSpace()
    {
        while (at != end && (*at == ' ' || *at == '\n' || *at == '\r' || *at == '\t')) {
            ++at;
        }
    }
    bool AtEnd() const { return at == end; }
    char Peek()
    {
        SkipSpace();
        Expect(at != end);
        return *at;
    }
    void Take(char wanted)
    {
        Expect(Peek() == wanted);
        ++at;
    }
    bool TakeIf(char wanted)
    {
        if (Peek() != wanted) {
            return false;
        }
        ++at;
        return true;
    }

    // A string's characters between its quotes, still escaped.
    struct Span {
        const char* begin;
        const char* end;
        bool escaped;
    };
    Span RawString();
    // The string's text, after `prefix` unless that is NUL.
    static QString Text(const Span& span, char prefix = '\0');
    // Escapes are checked even where their text is not wanted.
    static void CheckEscapes(const Span& span);
    // Whether the string, once unescaped, is `key`.
    static bool Equals(const Span& span, const QString& key);
    // The text QVariant gives a scalar; containers (which give empty text) are checked
    // and skipped.
    QString ValueText(int depth);
    void SkipValue(int depth);

    static void Expect(bool condition)
    {
        if (!condition) {
            throw GiveUp();
        }
    }

private:
    static char Unescaped(char escaped);
    const char* NumberEnd();
    void Word(const char* word);
    void SkipContainer(char close, int depth);

    const char* at;
    const char* const end;
};

Cursor::Span Cursor::RawString()
{
    Take('"');
    Span span{at, at, false};
    for (;;) {
        while (at != end && CLASSES[static_cast<unsigned char>(*at)] == PLAIN) {
            ++at;
        }
        Expect(at != end);
        if (*at == '"') {
            break;
        }
        // What follows the backslash is checked where the text is read.
        Expect(*at == '\\' && end - at > 1);
        span.escaped = true;
        at += 2;
    }
    span.end = at++;
    return span;
}

QString Cursor::Text(const Span& span, char prefix)
{
    const int length = static_cast<int>(span.end - span.begin);
    const int extra = prefix != '\0' ? 1 : 0;
    if (!span.escaped) {
        // The opening quote stands where the prefix goes, which saves a second pass.
        QString text = QString::fromLatin1(span.begin - extra, length + extra);
        if (extra != 0) {
            text[0] = QLatin1Char(prefix);
        }
        return text;
    }
    QString text(extra + length, Qt::Uninitialized);
    QChar* out = text.data();
    if (extra != 0) {
        *out++ = QLatin1Char(prefix);
    }
    for (const char* c = span.begin; c != span.end; ++c) {
        *out++ = QLatin1Char(*c == '\\' ? Unescaped(*++c) : *c);
    }
    text.resize(static_cast<int>(out - text.constData()));
    return text;
}

// What Qt makes of the character after a backslash, for the escapes that mean one
// character; "\u" and stray escapes are Qt's to judge.
char Cursor::Unescaped(char escaped)
{
    static const char escapes[] = "\"\"\\\\//b\bf\fn\nr\rt\t";
    const char* const found = std::strchr(escapes, escaped);
    Expect(escaped != '\0' && found != nullptr && (found - escapes) % 2 == 0);
    return found[1];
}

void Cursor::CheckEscapes(const Span& span)
{
    if (span.escaped) {
        for (const char* c = span.begin; c != span.end; ++c) {
            c += *c == '\\' ? (Unescaped(c[1]), 1) : 0;
        }
    }
}

bool Cursor::Equals(const Span& span, const QString& key)
{
    if (span.escaped) {
        return Text(span) == key;
    }
    if (span.end - span.begin != key.size()) {
        return false;
    }
    const QChar* k = key.constData();
    for (const char* c = span.begin; c != span.end; ++c, ++k) {
        if (*k != QLatin1Char(*c)) {
            return false;
        }
    }
    return true;
}

const char* Cursor::NumberEnd()
{
    const char* const begin = at;
    at += *at == '-' ? 1 : 0;
    const char* const digits = at;
    while (at != end && *at >= '0' && *at <= '9') {
        ++at;
    }
    const auto count = at - digits;
    // "-0" reads back as "0", and a leading zero is an error to Qt.
    Expect(count > 0 && count <= MAX_PLAIN_DIGITS && (*digits != '0' || (count == 1 && begin == digits)));
    Expect(at == end || (*at != '.' && *at != 'e' && *at != 'E'));
    return begin;
}

void Cursor::Word(const char* word)
{
    const auto length = static_cast<std::ptrdiff_t>(std::strlen(word));
    Expect(end - at >= length && std::memcmp(at, word, static_cast<std::size_t>(length)) == 0);
    at += length;
}

QString Cursor::ValueText(int depth)
{
    switch (Peek()) {
    case '"':
        return Text(RawString());
    case '{':
        SkipContainer('}', depth + 1);
        return QString();
    case '[':
        SkipContainer(']', depth + 1);
        return QString();
    case 't':
        Word("true");
        return QStringLiteral("true");
    case 'f':
        Word("false");
        return QStringLiteral("false");
    case 'n':
        Word("null");
        return QString();
    default: {
        const char* const begin = NumberEnd();
        return QString::fromLatin1(begin, static_cast<int>(at - begin));
    }
    }
}

void Cursor::SkipValue(int depth)
{
    switch (Peek()) {
    case '"': {
        CheckEscapes(RawString());
        return;
    }
    case 't':
    case 'f':
    case 'n':
    case '{':
    case '[':
        (void)ValueText(depth);
        return;
    default:
        (void)NumberEnd();
    }
}

void Cursor::SkipContainer(char close, int depth)
{
    Expect(depth <= MAX_DEPTH);
    ++at;
    if (TakeIf(close)) {
        return;
    }
    do {
        if (close == '}') {
            SkipValue(depth);
            Take(':');
        }
        SkipValue(depth);
    } while (TakeIf(','));
    Take(close);
}

// Reads an object whose members are passed to `member(key)`, which reads the value. A
// key goes unchecked only when `member` takes its text.
template <typename Member> void ReadObject(Cursor& cursor, Member&& member)
{
    cursor.Take('{');
    if (cursor.TakeIf('}')) {
        return;
    }
    do {
        const Cursor::Span key = cursor.RawString();
        cursor.Take(':');
        member(key);
    } while (cursor.TakeIf(','));
    cursor.Take('}');
}

// The members wanted at one level: the general key and the particular one. A value
// that is not an object stands for an empty one, and a repeated key replaces what
// came before, as in Qt's object.
template <typename Value> struct Wanted {
    std::array<QString, 2> keys;
    std::array<Value, 2> values{};

    template <typename Read> void Offer(Cursor& cursor, const Cursor::Span& key, int depth, Read&& read)
    {
        const bool general = Cursor::Equals(key, keys[0]);
        const bool particular = Cursor::Equals(key, keys[1]);
        if (!general && !particular) {
            Cursor::CheckEscapes(key);
            cursor.SkipValue(depth);
            return;
        }
        Value value{};
        if (cursor.Peek() == '{') {
            read(value);
        } else {
            cursor.SkipValue(depth);
        }
        if (general) {
            values[0] = value;
        }
        if (particular) {
            values[1] = std::move(value);
        }
    }
};

using Languages = Wanted<Entries>;

void ReadNames(Cursor& cursor, Entries& names)
{
    ReadObject(cursor, [&](const Cursor::Span& key) {
        QString placeholder = Cursor::Text(key, '@');
        names.emplace_back(std::move(placeholder), cursor.ValueText(3));
    });
}

void ReadLanguages(Cursor& cursor, Languages& languages)
{
    ReadObject(cursor, [&](const Cursor::Span& key) {
        languages.Offer(cursor, key, 2, [&](Entries& names) { ReadNames(cursor, names); });
    });
}

} // namespace

std::optional<Entries> SubstitutionFileParser::Parse(const QByteArray& bytes, const QString& platform,
                                                     const QString& locale)
{
    Wanted<Languages> platforms{{QStringLiteral("all_platforms"), platform}};
    const std::array<QString, 2> languageKeys{QStringLiteral("all_languages"), locale};
    try {
        Cursor cursor(bytes);
        ReadObject(cursor, [&](const Cursor::Span& key) {
            platforms.Offer(cursor, key, 1, [&](Languages& languages) {
                languages.keys = languageKeys;
                ReadLanguages(cursor, languages);
            });
        });
        cursor.SkipSpace();
        Cursor::Expect(cursor.AtEnd());
    } catch (const GiveUp&) {
        return std::nullopt;
    }
    Entries entries;
    for (const Languages& languages : platforms.values) {
        for (const Entries& names : languages.values) {
            entries.insert(entries.end(), names.begin(), names.end());
        }
    }
    return entries;
}

} // namespace Talvex::App
