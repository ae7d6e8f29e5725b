#include "base/plural.h"

#include <gtest/gtest.h>

namespace velmora::base {
namespace {

TEST(Plural, CountAgreesByTheLastTwoDigits) {
    const Plural thing{"one", "few", "many"};
    const struct {
        int64_t n;
        const char* form;
    } cases[] = {
        {0, "many"},   {1, "one"},    {2, "few"},    {4, "few"},     {5, "many"},
        {10, "many"},  {11, "many"},  {12, "many"},  {14, "many"},   {15, "many"},
        {20, "many"},  {21, "one"},   {22, "few"},   {24, "few"},    {25, "many"},
        {101, "one"},  {111, "many"}, {112, "many"}, {1000001, "one"}, {-1, "one"},
        {-12, "many"}, {INT64_MIN, "many"},
    };
    for (const auto& c : cases) EXPECT_EQ(thing.For(c.n), c.form) << c.n;
    EXPECT_EQ(CountOf(3, thing), "3 few");
    EXPECT_EQ(CountOf(7, Plural{}), "7");
}

}  // namespace
}  // namespace velmora::base
