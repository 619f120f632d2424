#include "Platform/Core/PropertySerializer.h"

#include "Platform/Core/Exception.h"

#include <boost/throw_exception.hpp>

namespace Talvex::Core {
namespace {

std::string ReadAll(IDataInput& input)
{
    std::string text;
    char buffer[4096];
    while (std::size_t count = input.Read(buffer, sizeof buffer)) {
        text.append(buffer, count);
    }
    return text;
}

std::size_t LineOf(const std::string& text, std::size_t offset)
{
    std::size_t line = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        line += text[i] == '\n' ? 1 : 0;
    }
    return line;
}

struct ParseError {
    std::size_t offset;
    std::string reason;
};

// Length of the JSON number that starts at `pos`, or 0 when none does.
std::size_t NumberLength(const std::string& text, std::size_t pos)
{
    const auto digits = [&](std::size_t at) {
        std::size_t end = at;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
            ++end;
        }
        return end - at;
    };
    std::size_t at = pos + (pos < text.size() && text[pos] == '-' ? 1 : 0);
    const std::size_t whole = digits(at);
    if (whole == 0 || (whole > 1 && text[at] == '0')) {
        return 0;
    }
    at += whole;
    if (at < text.size() && text[at] == '.') {
        const std::size_t fraction = digits(at + 1);
        if (fraction == 0) {
            return 0;
        }
        at += 1 + fraction;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        const std::size_t sign = at + 1 < text.size() && (text[at + 1] == '+' || text[at + 1] == '-') ? 1 : 0;
        const std::size_t exponent = digits(at + 1 + sign);
        if (exponent == 0) {
            return 0;
        }
        at += 1 + sign + exponent;
    }
    return at - pos;
}

// Length of the well-formed UTF-8 sequence at `pos` (no overlong forms, surrogates or
// code points past U+10FFFF), or 0.
std::size_t Utf8SequenceLength(const std::string& text, std::size_t pos)
{
    const auto byte = [&](std::size_t at) { return at < text.size() ? static_cast<unsigned char>(text[at]) : 0u; };
    const unsigned lead = byte(pos);
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xC2 ? 0
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF5 ? 4
                                             : 0;
    // The second byte's range rules out overlong forms, surrogates and values past U+10FFFF.
    const unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned next = byte(pos + i);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) {
            return 0;
        }
    }
    return length;
}

void AppendUtf8(std::string& out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
        return;
    }
    static const unsigned char leads[] = {0, 0xC0, 0xE0, 0xF0};
    const int extra = codePoint < 0x800 ? 1 : codePoint < 0x10000 ? 2 : 3;
    out += static_cast<char>(leads[extra] | (codePoint >> (6 * extra)));
    for (int shift = 6 * (extra - 1); shift >= 0; shift -= 6) {
        out += static_cast<char>(0x80 | ((codePoint >> shift) & 0x3F));
    }
}

int HexDigitValue(char digit)
{
    if (digit >= '0' && digit <= '9') {
        return digit - '0';
    }
    if (digit >= 'a' && digit <= 'f') {
        return digit - 'a' + 10;
    }
    return digit >= 'A' && digit <= 'F' ? digit - 'A' + 10 : -1;
}

// Appends `text` with JSON escapes; false when it is not valid UTF-8.
bool AppendEscaped(std::string& out, const std::string& text)
{
    static const std::string meant = "\"\\\b\f\n\r\t";
    static const std::string plain = "\"\\bfnrt";
    for (std::size_t pos = 0; pos < text.size();) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        const std::size_t which = byte < 0x80 ? meant.find(static_cast<char>(byte)) : std::string::npos;
        if (which != std::string::npos) {
            (out += '\\') += plain[which];
        } else if (byte < 0x20) {
            static const char hex[] = "0123456789abcdef";
            (out += "\\u00") += std::string{hex[byte >> 4], hex[byte & 15]};
        } else {
            const std::size_t length = Utf8SequenceLength(text, pos);
            if (length == 0) {
                return false;
            }
            out.append(text, pos, length);
            pos += length;
            continue;
        }
        ++pos;
    }
    return true;
}

// A recursive-descent reader; recursion is bounded by MAX_DEPTH.
class Reader {
public:
    explicit Reader(const std::string& text) : text(text) {}

    void ReadDocument(Property& root)
    {
        SkipSpace();
        if (Peek() != '{') {
            Fail("the top level is not an object");
        }
        ReadObject(root, 1);
        SkipSpace();
        if (pos != text.size()) {
            Fail("text follows the top-level object");
        }
    }

private:
    char Peek() const { return pos < text.size() ? text[pos] : '\0'; }

    [[noreturn]] void Fail(const std::string& reason) const { throw ParseError{pos, reason}; }

    void SkipSpace()
    {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\n' || text[pos] == '\r')) {
            ++pos;
        }
    }

    void Expect(char wanted)
    {
        SkipSpace();
        if (Peek() != wanted) {
            Fail(std::string("expected '") + wanted + "'");
        }
        ++pos;
    }

    // Consumes `closing` and answers true, or answers false when another element follows.
    bool EndOrSeparator(char closing)
    {
        SkipSpace();
        if (Peek() == closing) {
            ++pos;
            return true;
        }
        Expect(',');
        return false;
    }

    void Open(Property& node, Property::Kind kind, int depth)
    {
        if (depth > PropertySerializer::MAX_DEPTH) {
            Fail("nesting deeper than " + std::to_string(PropertySerializer::MAX_DEPTH) + " levels");
        }
        node.SetValue(std::string(), kind);
        ++pos;
        SkipSpace();
    }

    void ReadObject(Property& node, int depth)
    {
        Open(node, Property::Kind::Object, depth);
        if (Peek() == '}') {
            ++pos;
            return;
        }
        do {
            SkipSpace();
            if (Peek() != '"') {
                Fail("expected a member name");
            }
            Property& member = node.AddChild(Property(ReadString()));
            Expect(':');
            ReadValue(member, depth);
        } while (!EndOrSeparator('}'));
    }

    void ReadArray(Property& node, int depth)
    {
        Open(node, Property::Kind::Array, depth);
        if (Peek() == ']') {
            ++pos;
            return;
        }
        std::size_t index = 0;
        do {
            ReadValue(node.AddChild(Property(std::to_string(index++))), depth);
        } while (!EndOrSeparator(']'));
    }

    void ReadValue(Property& node, int depth)
    {
        SkipSpace();
        switch (Peek()) {
        case '{':
            return ReadObject(node, depth + 1);
        case '[':
            return ReadArray(node, depth + 1);
        case '"':
            return node.SetString(ReadString());
        case 't':
            return ReadWord(node, "true", Property::Kind::Boolean);
        case 'f':
            return ReadWord(node, "false", Property::Kind::Boolean);
        case 'n':
            return ReadWord(node, "null", Property::Kind::Null);
        default:
            return ReadNumber(node);
        }
    }

    void ReadWord(Property& node, const std::string& word, Property::Kind kind)
    {
        if (text.compare(pos, word.size(), word) != 0) {
            Fail("unknown literal");
        }
        pos += word.size();
        node.SetValue(kind == Property::Kind::Null ? std::string() : word, kind);
    }

    void ReadNumber(Property& node)
    {
        const std::size_t length = NumberLength(text, pos);
        if (length == 0) {
            Fail(pos < text.size() ? "unexpected character" : "unexpected end of text");
        }
        node.SetValue(text.substr(pos, length), Property::Kind::Number);
        pos += length;
    }

    std::string ReadString()
    {
        std::string value;
        for (++pos;;) {
            if (pos >= text.size()) {
                Fail("unterminated string");
            }
            const auto byte = static_cast<unsigned char>(text[pos]);
            if (byte == '"') {
                ++pos;
                return value;
            }
            if (byte == '\\') {
                ReadEscape(value);
            } else if (byte < 0x20) {
                Fail("control character in a string");
            } else {
                const std::size_t length = Utf8SequenceLength(text, pos);
                if (length == 0) {
                    Fail("invalid UTF-8 in a string");
                }
                value.append(text, pos, length);
                pos += length;
            }
        }
    }

    void ReadEscape(std::string& value)
    {
        static const std::string plain = "\"\\/bfnrt";
        static const std::string meant = "\"\\/\b\f\n\r\t";
        const std::size_t which = plain.find(++pos < text.size() ? text[pos] : '\0');
        if (which != std::string::npos) {
            value += meant[which];
            ++pos;
            return;
        }
        if (Peek() != 'u') {
            Fail("invalid escape");
        }
        char32_t codePoint = ReadHex4();
        if (codePoint >= 0xD800 && codePoint < 0xDC00 && text.compare(pos, 2, "\\u") == 0) {
            ++pos;
            const char32_t low = ReadHex4();
            if (low < 0xDC00 || low >= 0xE000) {
                Fail("unpaired surrogate");
            }
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (low - 0xDC00);
        } else if (codePoint >= 0xD800 && codePoint < 0xE000) {
            Fail("unpaired surrogate");
        }
        AppendUtf8(value, codePoint);
    }

    // Reads "uXXXX" with `pos` on the 'u'.
    char32_t ReadHex4()
    {
        char32_t codePoint = 0;
        for (int i = 0; i < 4; ++i) {
            const char digit = ++pos < text.size() ? text[pos] : '\0';
            const int value = HexDigitValue(digit);
            if (value < 0) {
                Fail("invalid \\u escape");
            }
            codePoint = codePoint * 16 + static_cast<char32_t>(value);
        }
        ++pos;
        return codePoint;
    }

    const std::string& text;
    std::size_t pos = 0;
};

class Writer {
public:
    std::string Write(const Property& root)
    {
        WriteContainer(root, 1, false);
        return std::move(out);
    }

private:
    void WriteContainer(const Property& node, int depth, bool array)
    {
        if (depth > PropertySerializer::MAX_DEPTH) {
            boost::throw_exception(Exception("Property tree nests deeper than " +
                                             std::to_string(PropertySerializer::MAX_DEPTH) + " levels"));
        }
        out += array ? '[' : '{';
        bool first = true;
        for (const Property& child : node.Children()) {
            out += first ? "" : ",";
            first = false;
            if (!array) {
                WriteString(child.GetName());
                out += ':';
            }
            WriteValue(child, depth);
        }
        out += array ? ']' : '}';
    }

    void WriteValue(const Property& node, int depth)
    {
        const Property::Kind kind = node.GetKind();
        if (!node.Children().empty() || kind == Property::Kind::Object || kind == Property::Kind::Array) {
            return WriteContainer(node, depth + 1, kind == Property::Kind::Array);
        }
        const std::string& text = node.GetString();
        const bool valid = kind == Property::Kind::Number    ? NumberLength(text, 0) == text.size()
                           : kind == Property::Kind::Boolean ? text == "true" || text == "false"
                                                             : true;
        if (!valid || (kind == Property::Kind::Number && text.empty())) {
            boost::throw_exception(Exception("Property \"" + node.GetName() + "\" holds \"" + text +
                                             "\", which is not a JSON number or boolean"));
        }
        if (kind == Property::Kind::Text) {
            WriteString(text);
        } else {
            out += kind == Property::Kind::Null ? std::string("null") : text;
        }
    }

    void WriteString(const std::string& text)
    {
        out += '"';
        if (!AppendEscaped(out, text)) {
            boost::throw_exception(Exception("Property text is not valid UTF-8"));
        }
        out += '"';
    }

    std::string out;
};

} // namespace

bool PropertySerializer::Deserialize(Property& root, boost::intrusive_ptr<IDataInput> input, bool throwOnError)
{
    root.Clear();
    const std::string text = input ? ReadAll(*input) : std::string();
    try {
        Reader(text).ReadDocument(root);
        return true;
    } catch (const ParseError& error) {
        root.Clear();
        if (!throwOnError) {
            return false;
        }
        const std::string name = input ? input->Name() : std::string();
        boost::throw_exception(Exception("Malformed property text" + (name.empty() ? "" : " in \"" + name + "\"") +
                                         " at offset " + std::to_string(error.offset) + " (line " +
                                         std::to_string(LineOf(text, error.offset)) + "): " + error.reason));
    }
}

std::string PropertySerializer::Serialize(const Property& root)
{
    return Writer().Write(root);
}

} // namespace Talvex::Core
