#include "session/text_helpers.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstdlib>

#include "session/errors.h"
#include "session/report.h"
#include "session/session.h"
#include "maze/random_source.h"
#include "platform/system_locale.h"

namespace tessellon {

namespace {
bool IsPeriod(const std::string& symbol) { return symbol.size() == 1 && symbol[0] == '.'; }
}  // namespace

std::string HailAmerican(const std::string& decimalSymbol, const std::string& text) {
    std::string out = text;
    // A symbol longer than one character never matches a single character.
    if (decimalSymbol.size() == 1 && decimalSymbol[0] != '.')
        std::replace(out.begin(), out.end(), decimalSymbol[0], '.');
    return out;
}

std::string FuckAmerican(const std::string& decimalSymbol, const std::string& text) {
    if (IsPeriod(decimalSymbol)) return text;
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '.') out += decimalSymbol;
        else out += c;
    }
    return out;
}

std::string HailAmerican(const Session& s, const std::string& text) { return HailAmerican(s.DecimalSymbol, text); }
std::string FuckAmerican(const Session& s, const std::string& text) { return FuckAmerican(s.DecimalSymbol, text); }
std::string HailAmerican(const Session& s, double number) {
    // Writing the symbol and turning it back into a period is writing a period, unless the
    // symbol is a character numbers are made of.
    const std::string& symbol = s.DecimalSymbol;
    if (symbol.size() == 1 && symbol[0] != '-' && (symbol[0] < '0' || symbol[0] > '9'))
        return FormatNumber(number, ".");
    return HailAmerican(symbol, FormatNumber(number, symbol));
}

std::string FormatNumber(double value, const std::string& decimalSymbol) {
    if (!std::isfinite(value)) return "0";
    if (value == 0) return "0";
    const double magnitude = std::fabs(value);
    // Whole numbers (most coordinates) print as they are: the fixed form below would only
    // add zeros after the separator and take them off again.
    if (magnitude < 1e15 && value == std::trunc(value)) {
        char whole[32];
        const auto r = std::to_chars(whole, whole + sizeof whole, static_cast<long long>(value));
        return std::string(whole, r.ptr);
    }
    // Digits before the separator decide how many may follow it.
    int intDigits = magnitude >= 1 ? static_cast<int>(std::floor(std::log10(magnitude))) + 1 : 0;
    int precision = 15 - intDigits;
    if (magnitude < 1) {
        // Leading zeros after the separator are not significant.
        const int zeros = static_cast<int>(-std::floor(std::log10(magnitude))) - 1;
        precision = 15 + zeros;
    }
    if (precision < 0) precision = 0;
    if (precision > 40) precision = 40;
    char buf[128];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, precision);
    std::string text(buf, res.ptr);
    if (text.find('.') != std::string::npos) {
        while (!text.empty() && text.back() == '0') text.pop_back();
        if (!text.empty() && text.back() == '.') text.pop_back();
    }
    if (text == "-0" || text.empty()) return "0";
    // A 16th digit from the conversion can still round up to a new leading digit
    // (9.99999999999999999 -> 10); that text is already right.
    if (decimalSymbol != ".") {
        const auto dot = text.find('.');
        if (dot != std::string::npos) text.replace(dot, 1, decimalSymbol);
    }
    return text;
}

bool IsFormattedShortNumber(std::string_view text) {
    if (text == "0") return true;
    std::size_t i = text.empty() || text[0] != '-' ? 0 : 1;
    const std::size_t wholeFrom = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    const std::size_t wholeDigits = i - wholeFrom;
    // One whole digit at least, and no leading zero unless it is the only one.
    if (wholeDigits == 0 || (wholeDigits > 1 && text[wholeFrom] == '0')) return false;
    const bool zeroWhole = text[wholeFrom] == '0';
    std::size_t significant = zeroWhole ? 0 : wholeDigits;
    if (i == text.size()) return !zeroWhole && significant <= 12;  // "0" was taken above; "-0" is no such text
    if (text[i] != '.') return false;
    const std::size_t fractionFrom = ++i;
    bool nonZeroSeen = !zeroWhole;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        nonZeroSeen = nonZeroSeen || text[i] != '0';
        if (nonZeroSeen) ++significant;
    }
    // Digits after the point, the last of them not a zero.
    return i > fractionFrom && text.back() != '0' && significant <= 12;
}

bool TryParseNumber(std::string_view text, const std::string& decimalSymbol, double& out) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && text[begin] == ' ') ++begin;
    while (end > begin && text[end - 1] == ' ') --end;
    if (begin == end) return false;
    if (IsPeriod(decimalSymbol) && text[begin] != '+') {
        // The usual symbol: check the shape in place and convert without a copy.
        bool digits = false, separator = false;
        // Digits before and after the point, and their value as a whole number.
        std::size_t whole = 0, fraction = 0;
        std::uint64_t number = 0;  // wraps harmlessly past 19 digits, which take the long way below
        for (std::size_t i = begin; i < end; ++i) {
            const char c = text[i];
            if (c >= '0' && c <= '9') {
                digits = true;
                number = number * 10 + static_cast<unsigned>(c - '0');
                ++(separator ? fraction : whole);
            } else if (c == '.' && !separator) {
                separator = true;
            } else if (!(c == '-' && i == begin)) {
                return false;
            }
        }
        if (!digits) return false;
        // Up to 15 digits with some on both sides of a point: the whole number is exact and one
        // division by an exact power of ten rounds as the full conversion does.
        static constexpr double kTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        if (whole > 0 && whole + fraction <= 15 && (!separator || fraction > 0)) {
            const double value = static_cast<double>(number) / kTen[fraction];
            out = value == 0 ? 0.0 : (text[begin] == '-' ? -value : value);
            return true;
        }
        double value = 0;
        auto res = std::from_chars(text.data() + begin, text.data() + end, value);
        if (res.ec != std::errc() || res.ptr != text.data() + end) return false;
        out = value == 0 ? 0.0 : value;
        return true;
    }
    std::string plain;
    plain.reserve(end - begin);
    bool digits = false, separator = false;
    for (std::size_t i = begin; i < end; ++i) {
        const char c = text[i];
        if ((c == '-' || c == '+') && i == begin) {
            if (c == '-') plain += c;
            continue;
        }
        if (c >= '0' && c <= '9') {
            digits = true;
            plain += c;
            continue;
        }
        if (!decimalSymbol.empty() && text.compare(i, decimalSymbol.size(), decimalSymbol) == 0 && !separator) {
            separator = true;
            plain += '.';
            i += decimalSymbol.size() - 1;
            continue;
        }
        return false;
    }
    if (!digits) return false;
    double value = 0;
    auto res = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (res.ec != std::errc() || res.ptr != plain.data() + plain.size()) return false;
    out = value == 0 ? 0.0 : value;
    return true;
}

bool TryToNumber(const Session& s, const std::string& text, double& out) {
    return TryParseNumber(text, s.DecimalSymbol, out);
}

double ToNumber(const Session& s, std::string_view text) {
    double v = 0;
    if (!TryParseNumber(text, s.DecimalSymbol, v)) throw NumberFormatError(std::string(text));
    return v;
}

double FileNumber(const Session& s, std::string_view fileText) {
    // A whole number of up to 15 digits (most of a room's coordinates) reads directly, as the
    // full reader would read it.
    if (!fileText.empty() && fileText.size() <= 16 && (s.DecimalSymbol == "." || s.DecimalSymbol == ",")) {
        const bool negative = fileText[0] == '-';
        std::size_t i = negative ? 1 : 0;
        if (i < fileText.size()) {
            std::int64_t number = 0;
            for (; i < fileText.size() && fileText[i] >= '0' && fileText[i] <= '9'; ++i)
                number = number * 10 + (fileText[i] - '0');
            if (i == fileText.size() && fileText.size() - (negative ? 1 : 0) <= 15) {
                if (number == 0) return 0.0;
                return negative ? -static_cast<double>(number) : static_cast<double>(number);
            }
        }
    }
    // With the usual symbol the file's text is already in the system's form: no copy.
    if (IsPeriod(s.DecimalSymbol)) return ToNumber(s, fileText);
    return ToNumber(s, FuckAmerican(s, std::string(fileText)));
}

std::string LowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

double RoundHalfEven(double v) {
    const double lower = std::floor(v);
    const double diff = v - lower;
    if (diff < 0.5) return lower;
    if (diff > 0.5) return lower + 1;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

std::array<std::string_view, 3> CSplitView(std::string_view text) {
    // The text between the 1st and 2nd bracket, the 3rd and 4th, the 5th and 6th.
    std::array<std::string_view, 3> r;
    // The next bracket of either kind at or after `from` (a plain scan: the library's search
    // for one of a set looks each character up in the set).
    auto bracket = [&](std::size_t from) {
        for (std::size_t i = from; i < text.size(); ++i)
            if (text[i] == '(' || text[i] == ')') return i;
        return std::string_view::npos;
    };
    std::size_t from = 0;
    for (int counter = 0; counter < 6; ++counter) {
        const std::size_t at = bracket(from);
        if (counter % 2 == 1)
            r[counter / 2] = text.substr(from, (at == std::string_view::npos ? text.size() : at) - from);
        if (at == std::string_view::npos) break;
        from = at + 1;
    }
    return r;
}

std::array<std::string_view, 5> SSplitView(std::string_view text) {
    // Every space starts a new field, so two spaces in a row leave an empty one.
    // A plain scan: the words are a few characters long, shorter than a library search pays for.
    std::array<std::string_view, 5> r;
    const char* const data = text.data();
    const std::size_t size = text.size();
    std::size_t from = 0;
    for (int counter = 0; counter < 5; ++counter) {
        std::size_t at = from;
        while (at < size && data[at] != ' ') ++at;
        r[counter] = std::string_view(data + from, at - from);
        if (at == size) break;
        from = at + 1;
    }
    return r;
}

std::array<std::string_view, 5> AxisWords(std::string_view text, std::string& spare) {
    // The usual shape, "[" first and the one "]" closing the fourth word: views into the text.
    const std::size_t close = text.find(']');
    if (!text.empty() && text[0] == '[' && close != std::string_view::npos &&
        text.find('[', 1) == std::string_view::npos && text.find(']', close + 1) == std::string_view::npos) {
        auto w = SSplitView(text.substr(1));
        // The "]" ends the fourth word when it closes the first four; elsewhere the long way.
        if (!w[3].empty() && w[3].back() == ']' && w[3].data() + w[3].size() == text.data() + close + 1) {
            w[3].remove_suffix(1);
            return w;
        }
    }
    spare.clear();
    for (const char c : text)
        if (c != '[' && c != ']') spare += c;
    return SSplitView(spare);
}

std::array<std::string, 3> CSplit(const std::string& text) {
    const auto v = CSplitView(text);
    return {std::string(v[0]), std::string(v[1]), std::string(v[2])};
}

std::array<std::string, 5> SSplit(const std::string& text) {
    const auto v = SSplitView(text);
    return {std::string(v[0]), std::string(v[1]), std::string(v[2]), std::string(v[3]), std::string(v[4])};
}

int CommaCount(const std::string& text) {
    long count = 1;
    for (char c : text)
        if (c == ',') ++count;
    if (count > 32767) throw BuildFailure("A value holds more than 32767 comma-separated fields.");
    return static_cast<int>(count);
}

void ClearOutChar(char characher, std::string& text) { std::erase(text, characher); }

bool Bet(Session& s, double value) {
    Randa(s);
    const float r = s.random.Draw();
    return value > r;
}

static std::string SignTo(Session& s, std::string& value, bool negative) {
    value = FuckAmerican(s, value);
    const double v = ToNumber(s, value);
    if (negative ? v > 0 : v < 0) return HailAmerican(s, 0 - v);
    return HailAmerican(s, value);
}

std::string Neg(Session& s, std::string& value) { return SignTo(s, value, true); }
std::string Pos(Session& s, std::string& value) { return SignTo(s, value, false); }

void SetCorrectPC(Session& s, std::string (*localeDecimal)()) {
    auto symbol = s.registry.ReadString(RegistryRoot::CurrentUser, "Control Panel\\International", "sDecimal");
    if (!symbol || symbol->empty()) {
        const std::string local = localeDecimal ? localeDecimal() : LocaleDecimalPoint();
        if (!local.empty()) symbol = local;
    }
    if (symbol && !symbol->empty()) {
        s.DecimalSymbol = *symbol;
        Log(s, "Standard Decimal Symbol set to: " + s.DecimalSymbol, false, true);
        return;
    }
    // Nothing to read: ask. An empty symbol would strip every period from the rooms'
    // numbers, so it is refused and asked again; a cancel means the usual period.
    for (;;) {
        auto answer = s.ui.InputBox(
            "Could not detect the standard decimal symbol for your system. You must enter it to "
            "continiune!",
            "Standard Decimal", ".");
        if (!answer) {
            s.DecimalSymbol = ".";
            return;
        }
        if (!answer->empty()) {
            s.DecimalSymbol = answer->substr(0, 1);
            return;
        }
        s.ui.MessageBox("Standard Decimal", "The decimal symbol cannot be empty.", BoxIcon::Information,
                        BoxButtons::Ok);
    }
}

}  // namespace tessellon
