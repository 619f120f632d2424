// Usage: GenerateTheme <output folder> <font file>
// Writes the sources of two themes, "Light" and "Dark", the size of a real product's:
// four bundles each, about 200 KB of style sheets in eight files (one with CRLF line
// ends), 300 placeholders of which 150 extend a shorter one (@buttonColor,
// @buttonColorHover, @buttonColorHoverPressed), about 1,500 uses, "@2x" image names and
// undefined "@names" that must survive, definitions spread over four fonts.json files
// with decoys for other platforms and languages, and a font named in a manifest.
// For each theme <output>/<theme>/<bundle>.qrc is ready for rcc. Deterministic: the
// same bytes on every build.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const std::vector<std::string> BUNDLES{"main", "controls", "dialogs", "player"};
const std::vector<std::string> WIDGETS{"button", "toolButton", "menu",  "menuItem", "tab",
                                       "header", "slider",     "combo", "checkBox", "radio",
                                       "label",  "title",      "tip",   "listRow",  "progress"};
const std::vector<std::string> PROPERTIES{"Color", "Background", "Border", "Font", "Size"};
const std::vector<std::string> FAMILIES{"fontFamily", "spacing", "radius"};
constexpr int USES = 1500;
constexpr int SHEET_BYTES = 200 * 1024 / 8;

class Random {
public:
    explicit Random(std::uint32_t seed) : state(seed) {}
    int Below(int bound)
    {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 8) % static_cast<std::uint32_t>(bound));
    }

private:
    std::uint32_t state;
};

std::vector<std::string> Placeholders()
{
    std::vector<std::string> names;
    for (const std::string& widget : WIDGETS) {
        for (const std::string& property : PROPERTIES) {
            const std::string base = widget + property;
            names.insert(names.end(), {base, base + "Hover", base + "HoverPressed"});
        }
    }
    for (const std::string& family : FAMILIES) {
        for (char letter = 'A'; letter < 'A' + 25; ++letter) {
            names.push_back(family + letter);
        }
    }
    return names;
}

std::string Value(const std::string& name, Random& random)
{
    char text[32];
    if (name.find("Font") != std::string::npos || name.rfind("fontFamily", 0) == 0) {
        static const char* const fonts[] = {"\\\"DejaVu Sans\\\"", "\\\"Segoe UI\\\"", "Arial", "\\\"Noto Sans\\\""};
        return fonts[random.Below(4)];
    }
    if (name.find("Size") != std::string::npos || name.rfind("spacing", 0) == 0 || name.rfind("radius", 0) == 0) {
        std::snprintf(text, sizeof text, "%dpx", 1 + random.Below(24));
        return text;
    }
    std::snprintf(text, sizeof text, "#%06x", random.Below(0x1000000));
    return text;
}

std::string Quoted(const std::string& value)
{
    return "\"" + value + "\"";
}

// One language object: "name": value lines. A few values are JSON numbers or booleans,
// which the manager turns into text.
std::string Members(const std::vector<std::pair<std::string, std::string>>& members, const char* indent)
{
    std::string text = "{";
    for (std::size_t i = 0; i < members.size(); ++i) {
        text += (i ? ",\n" : "\n") + std::string(indent) + "    " + Quoted(members[i].first) + ": " + members[i].second;
    }
    return text + "\n" + indent + "}";
}

std::string FontsJson(const std::vector<std::string>& names, std::size_t bundle, Random& random)
{
    std::vector<std::pair<std::string, std::string>> common, platform, decoys;
    for (std::size_t i = bundle; i < names.size(); i += BUNDLES.size()) {
        common.emplace_back(names[i], Quoted(Value(names[i], random)));
        if (i % 3 == 0) {
            platform.emplace_back(names[i], Quoted(Value(names[i], random)));
        }
        if (i % 5 == 0) {
            decoys.emplace_back(names[i], Quoted("#decoy" + std::to_string(i)));
        }
    }
    platform.emplace_back("lineHeight" + std::to_string(bundle), std::to_string(14 + bundle));
    platform.emplace_back("useAccent" + std::to_string(bundle), bundle % 2 ? "true" : "false");
    const char* in = "        ";
    return "{\n    \"all_platforms\": {\n        \"all_languages\": " + Members(common, in) +
           ",\n        \"de_DE\": " + Members(decoys, in) +
           "\n    },\n    \"linux\": {\n        \"all_languages\": " + Members(platform, in) +
           ",\n        \"ru_RU\": " + Members(decoys, in) +
           "\n    },\n    \"win\": {\n        \"all_languages\": " + Members(decoys, in) +
           "\n    },\n    \"mac\": {\n        \"all_languages\": " + Members(decoys, in) + "\n    }\n}\n";
}

std::string Sheet(const std::vector<std::string>& names, int sheet, int bytes, Random& random)
{
    static const char* const selectors[] = {"QPushButton",          "QToolButton",     "QMenu::item", "QTabBar::tab",
                                            "QHeaderView::section", "QSlider::handle", "QComboBox",   "QLabel"};
    std::ostringstream text;
    text << "/* generated sheet " << sheet << " */\n";
    const int uses = USES / 8;
    for (int rule = 0; static_cast<int>(text.tellp()) < bytes; ++rule) {
        text << selectors[random.Below(8)] << "#item" << sheet << '_' << rule << (rule % 4 ? ":hover" : "")
             << " {\n    border: 1px solid #3a3a3a;\n    padding: 2px 4px;\n";
        // Uses spread evenly over the sheet: about one a rule.
        const int expected = uses * (rule + 1) * 140 / bytes;
        for (int use = uses * rule * 140 / bytes; use < expected; ++use) {
            const std::string& name = names[static_cast<std::size_t>(sheet * 37 + use * 53) % names.size()];
            text << "    qproperty-" << (use % 2 ? "color" : "font") << ": @" << name << ";\n";
        }
        if (rule % 18 == 0) {
            text << "    image: url(:/main/images/icon_" << sheet << '_' << rule << "@2x.png);\n";
        }
        if (rule % 97 == 0) {
            text << "    color: @undefinedAccent" << rule << ";\n";
        }
        text << "}\n";
    }
    return text.str();
}

std::string WithCrLf(const std::string& text)
{
    std::string result;
    for (char c : text) {
        result += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return result;
}

bool Write(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
    return static_cast<bool>(file);
}

bool WriteTheme(const std::string& folder, std::uint32_t seed, const std::string& font)
{
    Random random(seed);
    const std::vector<std::string> names = Placeholders();
    mkdir(folder.c_str(), 0755);
    bool ok = true;
    for (std::size_t bundle = 0; bundle < BUNDLES.size(); ++bundle) {
        const std::string name = BUNDLES[bundle];
        const std::string source = folder + "/" + name;
        mkdir(source.c_str(), 0755);
        const int sheet = static_cast<int>(bundle) * 2;
        const std::string style = Sheet(names, sheet, SHEET_BYTES * 3 / 2, random);
        ok &= Write(source + "/style.qss", name == "dialogs" ? WithCrLf(style) : style);
        ok &= Write(source + "/fonts_linux.qss", Sheet(names, sheet + 1, SHEET_BYTES / 2, random));
        ok &= Write(source + "/fonts.json", FontsJson(names, bundle, random));
        const auto entry = [&](const std::string& alias, const std::string& path) {
            return "    <file alias=\"" + alias + "\">" + path + "</file>\n";
        };
        std::string files = entry("style.qss", source + "/style.qss") +
                            entry("fonts_linux.qss", source + "/fonts_linux.qss") +
                            entry("fonts.json", source + "/fonts.json");
        if (bundle == 0) {
            ok &= Write(source + "/fonts.manifest", ":/main/fonts/sans.ttf\n");
            files += entry("fonts.manifest", source + "/fonts.manifest") + entry("fonts/sans.ttf", font);
        }
        ok &= Write(folder + "/" + name + ".qrc",
                    "<RCC>\n  <qresource prefix=\"/" + name + "\">\n" + files + "  </qresource>\n</RCC>\n");
    }
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <output folder> <font file>\n", argv[0]);
        return 2;
    }
    const std::string output = argv[1];
    mkdir(output.c_str(), 0755);
    const bool ok = WriteTheme(output + "/Light", 1, argv[2]) && WriteTheme(output + "/Dark", 2, argv[2]);
    return ok ? 0 : 1;
}
