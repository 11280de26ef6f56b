#include "thermo/small_vector.hpp"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <utility>

namespace kolvar::thermo {
namespace {

// Counts live instances, so that every construction is matched by a destruction.
struct Tracked {
    static inline int live = 0;
    int value;
    Tracked(int v = 0) : value(v) { ++live; }
    Tracked(const Tracked& o) : value(o.value) { ++live; }
    Tracked(Tracked&& o) noexcept : value(o.value) { ++live; }
    Tracked& operator=(const Tracked&) = default;
    ~Tracked() { --live; }
    bool operator==(const Tracked&) const = default;
};

TEST(SmallVector, KeepsUpToNInlineAndMovesToTheHeapBeyond)
{
    SmallVector<double, 4> v;
    for (int i = 0; i < 4; ++i) v.push_back(i * 1.5);
    EXPECT_TRUE(v.is_inline());
    v.push_back(6.0);
    EXPECT_FALSE(v.is_inline());
    ASSERT_EQ(v.size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(v[i], i * 1.5);

    SmallVector<double, 8> sized(8, 2.0);
    EXPECT_TRUE(sized.is_inline());
    sized.resize(3);
    sized.resize(5);  // new entries are value-initialised
    EXPECT_EQ(sized[2], 2.0);
    EXPECT_EQ(sized[3], 0.0);
    std::span<const double> view = sized;
    EXPECT_EQ(view.size(), 5u);
}

TEST(SmallVector, CopiesAndMovesBothStorageKinds)
{
    for (int count : {3, 11}) {
        SCOPED_TRACE(count);
        {
            SmallVector<Tracked, 4> source;
            for (int i = 0; i < count; ++i) source.emplace_back(i);
            const bool heap = !source.is_inline();

            SmallVector<Tracked, 4> copy(source);
            EXPECT_EQ(copy, source);

            SmallVector<Tracked, 4> moved(std::move(source));
            EXPECT_EQ(moved, copy);
            EXPECT_TRUE(source.empty());
            EXPECT_TRUE(source.is_inline());
            EXPECT_EQ(moved.is_inline(), !heap);

            SmallVector<Tracked, 4> assigned{Tracked(-1)};
            assigned = copy;
            EXPECT_EQ(assigned, copy);
            assigned = std::move(moved);
            EXPECT_EQ(assigned, copy);
            assigned = assigned;  // self-assignment keeps the contents
            EXPECT_EQ(assigned, copy);

            source = std::move(assigned);  // a moved-from list is usable again
            EXPECT_EQ(source, copy);
            source.pop_back();
            EXPECT_EQ(source.size(), static_cast<std::size_t>(count - 1));
        }
        EXPECT_EQ(Tracked::live, 0);
    }
}

TEST(SmallVector, HoldsNonTrivialElements)
{
    SmallVector<std::string, 2> names{"methanol", "water"};
    names.push_back(std::string(100, 'x'));
    SmallVector<std::string, 2> other = std::move(names);
    ASSERT_EQ(other.size(), 3u);
    EXPECT_EQ(other[1], "water");
    EXPECT_EQ(other.back().size(), 100u);
    other.clear();
    EXPECT_TRUE(other.empty());
}

}  // namespace
}  // namespace kolvar::thermo
