#include "thermo/component.hpp"

#include <gtest/gtest.h>

#include <string>

namespace kolvar::thermo {
namespace {

// Every database compound survives the way through its constants unchanged
// (its melting point too),
// and the table lists the names in the document's order.
TEST(ComponentConstants, EveryDatabaseCompoundRoundTrips)
{
    const auto names = database_names();
    ASSERT_EQ(names.size(), 24u);
    EXPECT_EQ(names.front(), "methane");
    EXPECT_EQ(names.back(), "n-decane");
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const Component record = find_component(name).value();
        const auto made = component_from_constants(constants_of(record));
        ASSERT_TRUE(made.has_value()) << made.error();
        EXPECT_EQ(made->name, record.name);
        EXPECT_EQ(made->psat_coeffs, record.psat_coeffs);
        EXPECT_EQ(made->cp_coeffs, record.cp_coeffs);
        EXPECT_EQ(made->liquid_volume, record.liquid_volume);
        // Every compound has its melting point, below its normal boiling point;
        // carbon dioxide sublimes at 101.325 kPa, so its tb is the sublimation
        // point and its tm the triple point, above it.
        EXPECT_EQ(made->tm, record.tm);
        ASSERT_TRUE(record.tm.has_value());
        EXPECT_EQ(*record.tm < record.tb, name != "carbon dioxide");
        EXPECT_EQ(made->saturation_model, record.saturation_model);
        EXPECT_EQ(made->eos_params, record.eos_params);
        for (auto field : {&Component::tc, &Component::pc, &Component::omega, &Component::tb, &Component::mw,
                           &Component::zc, &Component::vc})
            EXPECT_EQ((*made).*field, record.*field);
    }
}

}  // namespace
}  // namespace kolvar::thermo
