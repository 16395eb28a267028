#include "sim/logi/map_page.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>
#include <vector>

namespace qm::sim::logi {
namespace {

// The ASCII text of s, or nothing when s holds anything else.
std::optional<std::string> Narrow(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char16_t c : s) {
        if (c > 0x7F) return std::nullopt;
        out.push_back(static_cast<char>(c));
    }
    return out;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A JavaScript number literal with an optional sign; overflow reads as infinity.
std::optional<double> ReadNumber(const std::string& s, std::size_t& i) {
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
        while (i < s.size() && IsSpace(s[i])) ++i;
    }
    if (i >= s.size() || !(std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.')) return std::nullopt;
    double value = 0;
    const char* first = s.data() + i;
    const auto [end, error] = std::from_chars(first, s.data() + s.size(), value, std::chars_format::general);
    if (end == first) return std::nullopt;
    if (error == std::errc::result_out_of_range) {
        // Too large reads as infinity, too small as zero; which one the text says.
        bool large = false;
        for (const char* p = first; p < end; ++p) {
            if (*p == 'e' || *p == 'E') {
                large = p + 1 < end && p[1] != '-';
                break;
            }
        }
        value = large ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (error != std::errc{}) {
        return std::nullopt;
    }
    i = static_cast<std::size_t>(end - s.data());
    return negative ? -value : value;
}

void SkipSpaces(const std::string& s, std::size_t& i) {
    while (i < s.size() && IsSpace(s[i])) ++i;
}

bool Take(const std::string& s, std::size_t& i, char c) {
    SkipSpaces(s, i);
    if (i < s.size() && s[i] == c) {
        ++i;
        return true;
    }
    return false;
}

bool TakeWord(const std::string& s, std::size_t& i, const std::string& word) {
    SkipSpaces(s, i);
    if (s.compare(i, word.size(), word) != 0) return false;
    const std::size_t after = i + word.size();
    if (after < s.size() && (std::isalnum(static_cast<unsigned char>(s[after])) || s[after] == '_' || s[after] == '$'))
        return false;
    i = after;
    return true;
}

struct Statement {
    enum Kind { SetCenter, GetCenter, Number, Boolean } kind;
    double a = 0;
    double b = 0;
    bool flag = false;
};

std::optional<Statement> ParseStatement(const std::string& s, std::size_t& i) {
    Statement st{};
    if (TakeWord(s, i, "setCenter")) {
        st.kind = Statement::SetCenter;
        if (!Take(s, i, '(')) return std::nullopt;
        SkipSpaces(s, i);
        auto a = ReadNumber(s, i);
        if (!a || !Take(s, i, ',')) return std::nullopt;
        SkipSpaces(s, i);
        auto b = ReadNumber(s, i);
        if (!b || !Take(s, i, ')')) return std::nullopt;
        st.a = *a;
        st.b = *b;
        return st;
    }
    if (TakeWord(s, i, "getCenter")) {
        st.kind = Statement::GetCenter;
        if (!Take(s, i, '(') || !Take(s, i, ')')) return std::nullopt;
        return st;
    }
    if (TakeWord(s, i, "true")) {
        st.kind = Statement::Boolean;
        st.flag = true;
        return st;
    }
    if (TakeWord(s, i, "false")) {
        st.kind = Statement::Boolean;
        st.flag = false;
        return st;
    }
    SkipSpaces(s, i);
    if (auto n = ReadNumber(s, i)) {
        st.kind = Statement::Number;
        st.a = *n;
        return st;
    }
    return std::nullopt;
}

// What VariantChangeType makes of the page's answers: a VT_EMPTY, a VT_BOOL,
// a VT_R8 or a VT_BSTR converted once to VT_BSTR and once to VT_BOOL.
ScriptValue EmptyValue() { return ScriptValue{std::u16string(), false}; }
ScriptValue BoolValue(bool b) { return ScriptValue{std::u16string(b ? u"-1" : u"0"), b}; }
ScriptValue NumberValue(double d) { return ScriptValue{NumberText(d), d != 0 && !std::isnan(d)}; }
ScriptValue TextValue(const std::u16string& s) {
    ScriptValue v;
    v.text = s;
    if (s == u"true" || s == u"True" || s == u"TRUE") v.boolean = true;
    else if (s == u"false" || s == u"False" || s == u"FALSE") v.boolean = false;
    else if (auto ascii = Narrow(s)) {
        std::size_t i = 0;
        SkipSpaces(*ascii, i);
        auto n = ReadNumber(*ascii, i);
        SkipSpaces(*ascii, i);
        if (n && i == ascii->size()) v.boolean = *n != 0;
    }
    return v;
}

}  // namespace

std::optional<GeoPoint> ParseCentre(const std::u16string& text) {
    const auto ascii = Narrow(text);
    if (!ascii) return std::nullopt;
    const std::string& s = *ascii;
    std::size_t i = 0;
    SkipSpaces(s, i);
    auto lat = ReadNumber(s, i);
    if (!lat || !Take(s, i, ',')) return std::nullopt;
    SkipSpaces(s, i);
    auto lng = ReadNumber(s, i);
    if (!lng) return std::nullopt;
    SkipSpaces(s, i);
    if (i != s.size()) return std::nullopt;
    return GeoPoint{*lat, *lng};
}

ScriptValue MapPageInterpreter::Evaluate(const std::u16string& script) {
    const auto ascii = Narrow(script);
    if (!ascii) return EmptyValue();
    const std::string& s = *ascii;

    // Parse everything first: a script with an error does nothing at all.
    std::vector<Statement> statements;
    std::size_t i = 0;
    for (;;) {
        SkipSpaces(s, i);
        if (i >= s.size()) break;
        if (s[i] == ';') {
            ++i;
            continue;
        }
        auto st = ParseStatement(s, i);
        if (!st) return EmptyValue();
        statements.push_back(*st);
        SkipSpaces(s, i);
        if (i < s.size() && s[i] != ';') return EmptyValue();
    }

    ScriptValue value = EmptyValue();
    for (const Statement& st : statements) {
        switch (st.kind) {
            case Statement::SetCenter: {
                const bool ok = std::isfinite(st.a) && std::isfinite(st.b);
                if (ok) centre_ = GeoPoint{st.a, st.b};
                value = BoolValue(ok);
                break;
            }
            case Statement::GetCenter:
                value = TextValue(NumberText(centre_.lat) + u"," + NumberText(centre_.lng));
                break;
            case Statement::Number: value = NumberValue(st.a); break;
            case Statement::Boolean: value = BoolValue(st.flag); break;
        }
    }
    return value;
}

std::u16string MapPageScript(GeoPoint centre) {
    std::u16string s;
    s += u"var centerLat = " + NumberText(centre.lat) + u";\n";
    s += u"var centerLng = " + NumberText(centre.lng) + u";\n";
    s += u"function isCoordinate(v) { return typeof v == \"number\" && isFinite(v); }\n";
    s += u"function setCenter(lat, lng) {\n"
         u"  if (!isCoordinate(lat) || !isCoordinate(lng)) return false;\n"
         u"  centerLat = lat; centerLng = lng;\n"
         u"  return true;\n"
         u"}\n";
    s += u"function getCenter() { return centerLat + \",\" + centerLng; }\n";
    return s;
}

std::u16string MapPageUrl(const MapPoints& points, std::u16string_view site) {
    std::u16string query;
    auto add = [&query](const char16_t* tag, const std::optional<GeoPoint>& p) {
        if (!p) return;
        if (!query.empty()) query += u"&";
        query += u"str";
        query += tag;
        query += u"PosX=" + NumberText(p->lng);
        query += u"&str";
        query += tag;
        query += u"PosY=" + NumberText(p->lat);
    };
    add(u"S", points.origin);
    add(u"D", points.destination);
    add(u"V1", points.via[0]);
    add(u"V2", points.via[1]);
    add(u"V3", points.via[2]);
    if (query.empty()) query = u"level=8";
    return u"http://" + std::u16string(site) + u"/map.asp?" + query;
}

}  // namespace qm::sim::logi
