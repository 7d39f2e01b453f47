#include <gtest/gtest.h>

#include "error_codes.h"
#include "support.h"

namespace {

// Every code of the socket, resolver and start-up tables raises its class
// with the call's failure text; codes outside them raise the module's
// generic class with the status text.
TEST(error_tables, every_code_maps_to_its_class_and_text) {
    const std::vector<tw_test::error_code_case> cases = tw_test::error_code_cases();
    ASSERT_FALSE(cases.empty());
    for (const tw_test::error_code_case& c : cases) {
        EXPECT_EQ(tw_test::raised_by(c.raise), (tw_test::raised{c.category, c.description})) << c.name;
    }
}

}  // namespace
