// Reading the component document (components.json) into records.
//
// Top level: an object whose `compounds` member maps compound names to
// compound objects; every other top-level member is skipped. A compound object
// is read as a RawComponent: the twelve keys formula, cas, mw, tc, pc, omega,
// zc, vc, tb, psat_coeffs, cp_coeffs and liquid_volume, each optional (a
// missing number reads as 0, a missing list as empty, a missing liquid_volume
// stays absent); other keys are skipped.
#pragma once

#include "thermo/component.hpp"

#include <expected>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kolvar::thermo::db {

using ComponentMap = std::unordered_map<std::string, Component>;

// The records keyed by compound name, or the reader's text for the first
// fault: malformed JSON, "duplicate field `key`" for a recognised key given
// twice in one compound (or `compounds` twice at the top level), "missing
// field `compounds`", or "invalid type: ..., expected ..." for a value of the
// wrong JSON type (a compound that is not an object names "struct
// RawComponent"). A compound name given twice is a fault too. Never throws.
// When `order` is given it receives the compound names in document order.
std::expected<ComponentMap, std::string> parse_component_document(std::string_view text,
                                                                 std::vector<std::string>* order = nullptr);

}  // namespace kolvar::thermo::db
