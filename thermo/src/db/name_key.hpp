// The form of a requested compound name that is matched against table keys.
#pragma once

#include <string>
#include <string_view>

namespace kolvar::thermo::db {

// Strips leading and trailing Unicode White_Space (tab, LF, VT, FF, CR,
// space, U+0085, U+00A0, U+1680, U+2000..U+200A, U+2028, U+2029, U+202F,
// U+205F, U+3000) and lower-cases the rest with the full Unicode mapping for
// the Basic Latin, Latin-1, Latin Extended-A, Greek and Cyrillic letters
// (capital sigma at the end of a word becomes final sigma). Bytes that are
// not valid UTF-8 are kept as they are.
std::string lookup_key(std::string_view name);

}  // namespace kolvar::thermo::db
