#pragma once
// How the volume forms show and read numbers: the display rule (decimals of
// the unit and of the size), rounding, model values in another length unit,
// the conversion of a field when its unit changes, and what a number field
// accepts.

#include <string>
#include <string_view>

namespace ostrel {

class ModelLink;

class NumberRules {
 public:
  // Decimals a unit code allows: 0 (feet) 1, or 2 on guided-wave and UGUS
  // models; 1 one; 2 and 32..34 two; all others three.
  static int unitDecimals(int unitCode, bool guidedWaveOrUgus);
  // Decimals the size of x allows: below 2 six ... from 100000 none.
  static int sizeDecimals(double x);
  // x with that many decimals, trailing zeros after the point removed (one
  // digit after it is kept). Independent of the process locale.
  static std::string formatTrimmed(double x, int decimals);
  // The display rule for a value in unit code unitCode.
  static std::string display(double x, int unitCode, bool guidedWaveOrUgus);
  // The display rule by size alone (coefficients of a flow formula).
  static std::string displayBySize(double x);
  // round(x, n) = trunc(x * 10^n + 0.5) / 10^n for n > 0; x otherwise.
  static double round(double x, int n);

  // A model value (stored in length unit 0) in length unit `unit`.
  static double modelValue(double x, int unit, const ModelLink& link);
  // A field's text when its length unit changes from `from` to `to`: a
  // number other than 0 is converted and shown by the rule of `to`; any
  // other text is kept.
  static std::string convertField(std::string_view text, int from, int to, const ModelLink& link);

  // Dimension fields: digits and "." only.
  static bool isUnsignedNumber(std::string_view text);
  // Flow formula fields: digits, "." and "-".
  static bool isSignedNumber(std::string_view text);
  // The number a box or field holds: blanks before it and one sign are
  // taken, the number is read as far as it reads, an empty or unreadable
  // text (or "nan") is 0, and a number too large for a double is infinite
  // so that a range check refuses it. The page, its value checks and the
  // forms all read boxes with this one rule.
  static double read(std::string_view text);
  // Whether a box's text is a number as the user types one: blanks around
  // it, one sign, digits with at most one "." among them. A blank text is
  // an empty box and passes (it reads 0); "abc", "1.2.3" and "1e5" do not.
  static bool isNumber(std::string_view text);
};

}  // namespace ostrel
