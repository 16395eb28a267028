#include "sim/icon2013/map_page.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <map>
#include <vector>

namespace qm::sim::icon2013 {
namespace {

struct Token {
    enum Kind { Name, Number, Punct } kind;
    std::string text;
    double value = 0;
};

// The script's tokens; empty when it holds anything the shapes do not use.
std::optional<std::vector<Token>> Tokens(const std::u16string& script) {
    std::string s;
    for (char16_t c : script) {
        if (c > 0x7F) return std::nullopt;
        s.push_back(static_cast<char>(c));
    }
    std::vector<Token> out;
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '$') {
            std::size_t j = i;
            while (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_' || s[j] == '$')) ++j;
            out.push_back({Token::Name, s.substr(i, j - i)});
            i = j;
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '.' ||
                   ((c == '-' || c == '+') && i + 1 < s.size() &&
                    (std::isdigit(static_cast<unsigned char>(s[i + 1])) || s[i + 1] == '.'))) {
            const bool negative = c == '-';
            if (c == '-' || c == '+') ++i;
            double v = 0;
            const auto [end, error] = std::from_chars(s.data() + i, s.data() + s.size(), v);
            if (end == s.data() + i || error != std::errc{}) return std::nullopt;
            out.push_back({Token::Number, {}, negative ? -v : v});
            i = static_cast<std::size_t>(end - s.data());
        } else if (c == '(' || c == ')' || c == ',' || c == ';' || c == '=') {
            out.push_back({Token::Punct, std::string(1, c)});
            ++i;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

ScriptValue EmptyValue() { return ScriptValue{std::u16string(), false}; }
ScriptValue BoolValue(bool b) { return ScriptValue{std::u16string(b ? u"-1" : u"0"), b}; }
ScriptValue TextValue(const std::u16string& s) { return ScriptValue{s, !s.empty()}; }
std::u16string PointText(const GeoPoint& p) { return NumberText(p.lat) + u"," + NumberText(p.lng); }

// One statement as parsed: an assignment, a call, or a literal.
struct Statement {
    enum Kind { Assign, Call, Literal } kind = Literal;
    std::string name;
    std::vector<Token> arguments;  // numbers or names
    ScriptValue literal;
};

}  // namespace

ScriptValue MapPageInterpreter::Evaluate(const std::u16string& script) {
    const auto tokens = Tokens(script);
    if (!tokens) return EmptyValue();
    const std::vector<Token>& t = *tokens;
    auto punct = [&](std::size_t i, char c) { return i < t.size() && t[i].kind == Token::Punct && t[i].text[0] == c; };

    // Parse everything first: a script with an error does nothing at all.
    std::vector<Statement> statements;
    std::size_t i = 0;
    while (i < t.size()) {
        if (punct(i, ';')) {
            ++i;
            continue;
        }
        Statement st;
        if (t[i].kind == Token::Name && t[i].text == "var") ++i;
        if (i >= t.size()) return EmptyValue();
        if (t[i].kind == Token::Name && punct(i + 1, '=')) {
            if (i + 2 >= t.size() || t[i + 2].kind != Token::Number) return EmptyValue();
            st.kind = Statement::Assign;
            st.name = t[i].text;
            st.literal.text = NumberText(t[i + 2].value);
            st.arguments.push_back(t[i + 2]);
            i += 3;
        } else if (t[i].kind == Token::Name && (t[i].text == "true" || t[i].text == "false")) {
            st.literal = BoolValue(t[i].text == "true");
            ++i;
        } else if (t[i].kind == Token::Name && punct(i + 1, '(')) {
            st.kind = Statement::Call;
            st.name = t[i].text;
            i += 2;
            while (!punct(i, ')')) {
                if (i >= t.size() || t[i].kind == Token::Punct) return EmptyValue();
                st.arguments.push_back(t[i++]);
                if (punct(i, ',')) ++i;
                else if (!punct(i, ')')) return EmptyValue();
            }
            ++i;
        } else if (t[i].kind == Token::Number) {
            st.literal = ScriptValue{NumberText(t[i].value), t[i].value != 0};
            ++i;
        } else {
            return EmptyValue();
        }
        if (i < t.size() && !punct(i, ';')) return EmptyValue();
        statements.push_back(std::move(st));
    }

    // Names the script assigns; a name read before it is assigned is an error.
    std::map<std::string, double> names;
    ScriptValue value = EmptyValue();
    for (const Statement& st : statements) {
        if (st.kind == Statement::Literal) {
            value = st.literal;
            continue;
        }
        if (st.kind == Statement::Assign) {
            names[st.name] = st.arguments[0].value;
            value = st.literal;
            continue;
        }
        std::vector<double> args;
        for (const Token& a : st.arguments) {
            if (a.kind == Token::Number) {
                args.push_back(a.value);
                continue;
            }
            auto it = names.find(a.text);
            if (it == names.end()) return value;  // a ReferenceError ends the script
            args.push_back(it->second);
        }
        const bool twoFinite = args.size() == 2 && std::isfinite(args[0]) && std::isfinite(args[1]);
        if (st.name == "onTMapRClick4OrdPoiStart" || st.name == "onTMapRClick4OrdPoiEnd") {
            if (twoFinite) (st.name == "onTMapRClick4OrdPoiStart" ? start_ : end_) = GeoPoint{args[0], args[1]};
            value = BoolValue(twoFinite);
        } else if (st.name == "showPlace") {
            if (twoFinite) shown_ = GeoPoint{args[0], args[1]};
            value = BoolValue(twoFinite);
        } else if (st.name == "getPosition") {
            value = TextValue(PointText(shown_));
        } else if (st.name == "pendingStart" || st.name == "pendingEnd") {
            const auto& p = st.name == "pendingStart" ? start_ : end_;
            value = TextValue(p ? PointText(*p) : u"");
        } else {
            return EmptyValue();  // not a function of the page
        }
    }
    return value;
}

std::u16string MapPageScript(GeoPoint shown) {
    std::u16string s;
    s += u"var shownLat = " + NumberText(shown.lat) + u";\n";
    s += u"var shownLng = " + NumberText(shown.lng) + u";\n";
    s += u"var startPoint = \"\";\nvar endPoint = \"\";\n";
    s += u"function isCoordinate(v) { return typeof v == \"number\" && isFinite(v); }\n";
    s += u"function onTMapRClick4OrdPoiStart(lat, lng) {\n"
         u"  if (!isCoordinate(lat) || !isCoordinate(lng)) return false;\n"
         u"  startPoint = lat + \",\" + lng;\n"
         u"  return true;\n"
         u"}\n";
    s += u"function onTMapRClick4OrdPoiEnd(lat, lng) {\n"
         u"  if (!isCoordinate(lat) || !isCoordinate(lng)) return false;\n"
         u"  endPoint = lat + \",\" + lng;\n"
         u"  return true;\n"
         u"}\n";
    s += u"function showPlace(lat, lng) {\n"
         u"  if (!isCoordinate(lat) || !isCoordinate(lng)) return false;\n"
         u"  shownLat = lat; shownLng = lng;\n"
         u"  return true;\n"
         u"}\n";
    s += u"function getPosition() { return shownLat + \",\" + shownLng; }\n";
    s += u"function pendingStart() { return startPoint; }\n";
    s += u"function pendingEnd() { return endPoint; }\n";
    return s;
}

}  // namespace qm::sim::icon2013
