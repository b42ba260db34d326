#pragma once
// Numbers at the start of a generator reply, read the way the C library's
// atoi and atof read them but never through the locale: "7.03" is 7.03 on a
// desktop whose decimal sign is a comma.

namespace ReplyNumbers {

// Leading blanks, a sign and decimal digits; 0 when the text does not begin
// with a number; values beyond the int range clamp to it.
int LeadingInt(const char* text);
// Leading blanks, a sign and a decimal number with optional exponent; 0 when
// the text does not begin with one; out-of-range magnitudes clamp to the
// largest finite double (or 0 for underflow).
double LeadingDouble(const char* text);

} // namespace ReplyNumbers
