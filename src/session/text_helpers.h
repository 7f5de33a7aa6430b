#pragma once
#include <array>
#include <string>
#include <string_view>

namespace tessellon {

struct Session;

// Numbers in room and level files always carry a period. Computations read them in the
// system's own form (FuckAmerican) and write results back in file form (HailAmerican); the
// number readers and the formatter below speak the system's form, whose decimal symbol is
// the session's DecimalSymbol.

std::string HailAmerican(const std::string& decimalSymbol, const std::string& text);
std::string FuckAmerican(const std::string& decimalSymbol, const std::string& text);
std::string HailAmerican(const Session& s, const std::string& text);
std::string FuckAmerican(const Session& s, const std::string& text);
std::string HailAmerican(const Session& s, double number);  // the number in file form

// General number formatting: up to 15 significant digits, no exponent, no thousands
// separators, no trailing zeros, a leading zero before the separator, never "-0".
std::string FormatNumber(double value, const std::string& decimalSymbol = ".");

// True when `text` (period form) is exactly what FormatNumber writes for the number it reads
// as, with at most 12 significant digits: "0", "-12", "0.25", but not "012", "1.50", "-0", "+1"
// or "1e3". The number's negation is then the text with its sign changed, no conversion needed.
bool IsFormattedShortNumber(std::string_view text);

// Reads a number written with the given decimal symbol: optional sign, digits, one
// separator. Surrounding spaces are allowed. False for anything else.
bool TryParseNumber(std::string_view text, const std::string& decimalSymbol, double& out);
bool TryToNumber(const Session& s, const std::string& text, double& out);
// Throws NumberFormatError naming the text when it is not a number.
double ToNumber(const Session& s, std::string_view text);
// Reads a number in file form (period), whatever the session's symbol.
double FileNumber(const Session& s, std::string_view fileText);

// The text with A..Z made a..z; names of files, keys and materials compare case-blind.
std::string LowerCase(std::string_view text);

// Nearest whole number, halves to the even neighbour.
double RoundHalfEven(double v);

// The three parenthesised groups of a plane value "(x y z) (x y z) (x y z)".
std::array<std::string, 3> CSplit(const std::string& text);
// The first five words between single spaces; two spaces in a row give an empty word.
std::array<std::string, 5> SSplit(const std::string& text);
// The same, as views into the text (valid while it is).
std::array<std::string_view, 3> CSplitView(std::string_view text);
std::array<std::string_view, 5> SSplitView(std::string_view text);
// The five words of a texture axis "[x y z shift] scale" with its brackets left out, as
// SSplitView gives them for the text without '[' and ']'. `spare` holds that text when the
// brackets stand elsewhere than around the first four words (the views may point into it).
std::array<std::string_view, 5> AxisWords(std::string_view text, std::string& spare);
// Comma-separated fields: one more than the number of commas.
int CommaCount(const std::string& text);
void ClearOutChar(char characher, std::string& text);

// True with probability value, after re-seeding the generator.
bool Bet(Session& s, double value);
// The number made zero or negative (Neg) or zero or positive (Pos), in file form. The
// argument is left in the system's form, as callers of the originals expect.
std::string Neg(Session& s, std::string& value);
std::string Pos(Session& s, std::string& value);

// Reads the system's decimal symbol: the registry, else the locale, else the user is asked.
// localeDecimal stands for the locale lookup (tests pass one that knows nothing).
void SetCorrectPC(Session& s, std::string (*localeDecimal)() = nullptr);

}  // namespace tessellon
