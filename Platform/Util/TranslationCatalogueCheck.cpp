#include "Platform/Util/TranslationCatalogueCheck.h"

#include <QDataStream>

#include <algorithm>
#include <map>
#include <vector>

namespace Talvex::Util {
namespace {

// The layout lrelease writes: a 16-byte magic, then sections of (8-bit tag, 32-bit
// big-endian length, bytes). The hash section is a sorted table of (hash, offset into
// the message section) pairs; a message record is a run of tagged fields closed by an
// end tag; the context section is a hash table of 16-bit offsets into a pool of
// (8-bit length, bytes) chains closed by a zero length.
const char MAGIC[] = "\x3c\xb8\x64\x18\xca\xef\x9c\x95\xcd\x21\x1c\xbf\x60\xa1\xbd\xdd";
const quint32 MAGIC_SIZE = 16;
const quint32 SECTION_HEADER = 5;

enum Section : uchar {
    CONTEXTS = 0x2f,
    HASHES = 0x42,
    MESSAGES = 0x69,
    NUMERUS_RULES = 0x88,
    DEPENDENCIES = 0x96,
    LANGUAGE = 0xa7,
};
const QByteArray KNOWN_SECTIONS("\x2f\x42\x69\x88\xa7");

enum Field : uchar {
    END = 0x01,
    TRANSLATION = 0x03,
    SOURCE_TEXT = 0x06,
    CONTEXT = 0x07,
    COMMENT = 0x08,
};

// A string of 32-bit byte length and UTF-16 text whose length says "no string".
const quint32 NULL_STRING = 0xffffffff;

// The plural rules: comparisons, optionally negated and applied to n modulo 10 or
// 100 or to n's leading digits, joined by "and" and "or"; one rule per plural form.
const uchar RULE_OPERATOR = 0x07;
const uchar RULE_BETWEEN = 0x04;
const uchar RULE_MODIFIERS = 0x08 | 0x10 | 0x20 | 0x40;
const uchar RULE_AND = 0xfd;
const uchar RULE_OR = 0xfe;
const uchar RULE_NEXT = 0xff;

struct Span {
    quint32 offset = 0;
    quint32 length = 0;
};

class Reader {
public:
    explicit Reader(const QByteArray& bytes) : bytes(bytes) {}

    quint32 Size() const { return static_cast<quint32>(bytes.size()); }
    bool Fits(quint64 offset, quint64 length) const { return offset <= Size() && length <= Size() - offset; }
    uchar Read8(quint32 at) const { return static_cast<uchar>(bytes[static_cast<int>(at)]); }
    quint16 Read16(quint32 at) const { return static_cast<quint16>((Read8(at) << 8) | Read8(at + 1)); }
    quint32 Read32(quint32 at) const { return (quint32(Read16(at)) << 16) | Read16(at + 2); }

    // The string at `at` inside `span` (length, then text): where it ends, or 0 when
    // it does not fit or is not UTF-16.
    quint32 StringEnd(quint32 at, const Span& span) const
    {
        const quint32 end = span.offset + span.length;
        if (at > end || end - at < 4) {
            return 0;
        }
        const quint32 length = Read32(at);
        if (length == NULL_STRING) {
            return at + 4;
        }
        return length % 2 == 0 && length <= end - at - 4 ? at + 4 + length : 0;
    }

private:
    const QByteArray& bytes;
};

class Walk {
public:
    explicit Walk(const QByteArray& catalogue) : catalogue(catalogue), reader(catalogue) {}

    QString Check()
    {
        if (!catalogue.startsWith(QByteArray::fromRawData(MAGIC, MAGIC_SIZE))) {
            return QStringLiteral("no translation catalogue header");
        }
        for (quint32 at = MAGIC_SIZE; at < reader.Size();) {
            if (!reader.Fits(at, SECTION_HEADER) || !reader.Fits(at + SECTION_HEADER, reader.Read32(at + 1))) {
                return QStringLiteral("section at %1 outside the file").arg(at);
            }
            const uchar tag = reader.Read8(at);
            if (sections.count(tag)) {
                return QStringLiteral("section %1 repeated").arg(tag);
            }
            sections[tag] = Span{at + SECTION_HEADER, reader.Read32(at + 1)};
            order.push_back(tag);
            at += SECTION_HEADER + sections[tag].length;
        }
        QString problem = Messages();
        for (auto check : {&Walk::Hashes, &Walk::Contexts, &Walk::NumerusRules, &Walk::Dependencies}) {
            if (problem.isEmpty()) {
                problem = (this->*check)();
            }
        }
        return problem;
    }

    // The sections the translator reads, without the empty ones (how Qt treats an
    // empty section is its own affair) and without the dependencies. The contexts come
    // last: a name chain that runs to the end of its section then meets the zero byte
    // that ends every QByteArray, which stops the translator's search.
    QByteArray Loadable(QStringList& dependencies) const
    {
        QByteArray loadable = catalogue.left(MAGIC_SIZE);
        std::vector<uchar> tags = order;
        std::stable_partition(tags.begin(), tags.end(), [](uchar tag) { return tag != CONTEXTS; });
        for (const uchar tag : tags) {
            const Span span = Of(tag);
            if (tag == DEPENDENCIES) {
                QDataStream names(catalogue.mid(span.offset, span.length));
                while (!names.atEnd()) {
                    QString name;
                    names >> name;
                    dependencies << name;
                }
            } else if (span.length > 0 && KNOWN_SECTIONS.contains(char(tag))) {
                loadable += catalogue.mid(span.offset - SECTION_HEADER, SECTION_HEADER + span.length);
            }
        }
        return loadable;
    }

private:
    Span Of(uchar tag) const
    {
        const auto section = sections.find(tag);
        return section == sections.end() ? Span() : section->second;
    }

    // Walks the records one after the other, noting where each starts; the translator
    // reads a record field by field until its end tag.
    QString Messages()
    {
        const Span span = Of(MESSAGES);
        recordStarts.assign(span.length, false);
        bool atStart = true;
        for (quint32 at = span.offset; at < span.offset + span.length;) {
            recordStarts[at - span.offset] = atStart;
            const uchar field = reader.Read8(at);
            atStart = field == END;
            if (atStart) {
                ++at;
                continue;
            }
            if (field != TRANSLATION && field != SOURCE_TEXT && field != CONTEXT && field != COMMENT) {
                return QStringLiteral("unknown message field at %1").arg(at);
            }
            at = field == TRANSLATION ? reader.StringEnd(at + 1, span) : BytesEnd(at + 1, span);
            if (at == 0) {
                return QStringLiteral("message field outside its section");
            }
        }
        return atStart ? QString() : QStringLiteral("last message not ended");
    }

    // A field of 32-bit length and that many bytes: where it ends, or 0.
    quint32 BytesEnd(quint32 at, const Span& span) const
    {
        const quint32 end = span.offset + span.length;
        if (end - at < 4 || reader.Read32(at) > end - at - 4) {
            return 0;
        }
        return at + 4 + reader.Read32(at);
    }

    QString Hashes() const
    {
        const Span span = Of(HASHES);
        if (span.length % 8 != 0) {
            return QStringLiteral("hash table of odd size");
        }
        for (quint32 at = span.offset; at < span.offset + span.length; at += 8) {
            const quint32 record = reader.Read32(at + 4);
            if (record >= recordStarts.size() || !recordStarts[record]) {
                return QStringLiteral("hash entry at %1 points at no message").arg(at);
            }
        }
        return QString();
    }

    // Every bucket the translator may pick must lead to a chain of names that stays in
    // the section and ends with a zero length or at the section's end: lrelease writes
    // the zero only where it pads, so a chain may run on into the next bucket's, and the
    // last one into whatever follows the section (see Loadable).
    QString Contexts() const
    {
        const Span span = Of(CONTEXTS);
        if (span.length == 0) {
            return QString();
        }
        const quint32 buckets = span.length >= 2 ? reader.Read16(span.offset) : 0;
        if (buckets == 0 || 2 + quint64(buckets) * 2 > span.length) {
            return QStringLiteral("context table outside its section");
        }
        const quint32 pool = span.offset + 2 + buckets * 2;
        const quint32 poolSize = span.offset + span.length - pool;
        // Chains only run forwards, so whether each position ends well is known from the
        // positions after it.
        std::vector<bool> ends(poolSize, false);
        for (quint32 at = poolSize; at-- > 0;) {
            const quint32 next = at + 1 + reader.Read8(pool + at);
            ends[at] = reader.Read8(pool + at) == 0 || next == poolSize || (next < poolSize && ends[next]);
        }
        for (quint32 bucket = 0; bucket < buckets; ++bucket) {
            const quint32 chain = quint32(reader.Read16(span.offset + 2 + bucket * 2)) * 2;
            if (chain != 0 && (chain >= poolSize || !ends[chain])) {
                return QStringLiteral("context bucket %1 outside its section").arg(bucket);
            }
        }
        return QString();
    }

    QString NumerusRules() const
    {
        const Span span = Of(NUMERUS_RULES);
        const quint32 end = span.offset + span.length;
        for (quint32 at = span.offset; at < end;) {
            const uchar rule = reader.Read8(at);
            const quint32 operands = (rule & RULE_OPERATOR) == RULE_BETWEEN ? 2 : 1;
            const bool known = (rule & RULE_OPERATOR) >= 1 && (rule & RULE_OPERATOR) <= RULE_BETWEEN &&
                               (rule & ~(RULE_OPERATOR | RULE_MODIFIERS)) == 0;
            if (!known || end - at - 1 < operands) {
                return QStringLiteral("plural rule at %1 malformed").arg(at);
            }
            at += 1 + operands;
            if (at < end) {
                const uchar join = reader.Read8(at);
                if ((join != RULE_AND && join != RULE_OR && join != RULE_NEXT) || ++at == end) {
                    return QStringLiteral("plural rules joined badly at %1").arg(at);
                }
            }
        }
        return QString();
    }

    QString Dependencies() const
    {
        const Span span = Of(DEPENDENCIES);
        for (quint32 at = span.offset; at < span.offset + span.length;) {
            at = reader.StringEnd(at, span);
            if (at == 0) {
                return QStringLiteral("dependency name outside its section");
            }
        }
        return QString();
    }

    const QByteArray& catalogue;
    const Reader reader;
    std::map<uchar, Span> sections;
    std::vector<uchar> order;
    std::vector<bool> recordStarts;
};

// Why `catalogue` is refused, or nothing; the walk is left ready to give what it found.
QString Problem(const QByteArray& catalogue, Walk& walk)
{
    return catalogue.size() > TranslationCatalogueCheck::MAX_SIZE ? QStringLiteral("catalogue too large")
                                                                  : walk.Check();
}

bool Accepted(const QString& reason, QString* problem)
{
    if (problem) {
        *problem = reason;
    }
    return reason.isEmpty();
}

} // namespace

bool TranslationCatalogueCheck::IsWellFormed(const QByteArray& catalogue, QString* problem)
{
    Walk walk(catalogue);
    return Accepted(Problem(catalogue, walk), problem);
}

QByteArray TranslationCatalogueCheck::Loadable(const QByteArray& catalogue, QStringList& dependencies, QString* problem)
{
    Walk walk(catalogue);
    return Accepted(Problem(catalogue, walk), problem) ? walk.Loadable(dependencies) : QByteArray();
}

} // namespace Talvex::Util
