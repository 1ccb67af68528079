#include "task/Order.h"
#include "task/TamriUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

using namespace TamriUnit;

namespace {

void setTask(int columns, int rows, std::uint32_t seed)
{
    resetState();
    lastIndex = static_cast<std::uint8_t>(columns * rows - 1);
    centreIndex = lastIndex / 2;
    drawList.emplace();
    randSeed = seed;
}

} // namespace

TEST(RandomBelow, KnownAnswersOfTheGenerator)
{
    // Worked out from seed' = seed * 134775813 + 1 mod 2^32, result = seed' * n div 2^32.
    randSeed = 0;
    EXPECT_EQ(randomBelow(35), 0u);
    EXPECT_EQ(randSeed, 1u);
    EXPECT_EQ(randomBelow(35), 1u);
    EXPECT_EQ(randSeed, 134775814u);
    EXPECT_EQ(randomBelow(35), 30u);

    randSeed = 0xdeadbeef;
    for (std::uint32_t value : {13u, 6u, 20u, 19u, 32u, 29u, 16u, 28u})
        EXPECT_EQ(randomBelow(35), value);

    randSeed = 123456789;
    for (std::uint32_t value : {34u, 24u, 24u, 2u, 51u, 53u})
        EXPECT_EQ(randomBelow(63), value);
}

TEST(PresentationOrder, KnownDrawForAPicturesTask)
{
    setTask(7, 5, 42);
    drawPresentationOrders();
    // First draw: 11 30 7 5 0 ..., second draw continues the sequence: 11 18 12 8 13 ...
    for (const auto &[i, value] : {std::pair{0, 11}, {1, 30}, {4, 0}, {16, 8}, {18, 27}, {34, 6}})
        EXPECT_EQ(presentationOrder[i], value) << "order at " << i;
    for (const auto &[i, value] : {std::pair{1, 18}, {16, 24}, {18, 21}, {34, 28}})
        EXPECT_EQ(cellContent[i], value) << "content at " << i;
    EXPECT_FALSE(drawList.has_value());
}

TEST(PresentationOrder, BothArraysArePermutationsWithTheCentreFixed)
{
    for (auto [columns, rows] : {std::pair{7, 5}, std::pair{9, 7}}) {
        for (std::uint32_t seed : {0u, 1u, 16u, 0xffffffffu, 987654321u}) {
            SCOPED_TRACE(testing::Message() << columns << "x" << rows << " seed " << seed);
            setTask(columns, rows, seed);
            drawPresentationOrders();
            std::vector<int> identity(lastIndex + 1);
            std::iota(identity.begin(), identity.end(), 0);
            const auto expectPermutationWithTheCentreFixed = [&](const auto &array, const char *name) {
                std::vector<int> values(array.begin(), array.begin() + identity.size());
                EXPECT_EQ(values[centreIndex], centreIndex) << name;
                EXPECT_EQ(std::count(values.begin(), values.end(), centreIndex), 1) << name;
                std::sort(values.begin(), values.end());
                EXPECT_EQ(values, identity) << name;
            };
            expectPermutationWithTheCentreFixed(presentationOrder, "order");
            expectPermutationWithTheCentreFixed(cellContent, "content");
        }
    }
}

TEST(PresentationOrder, CentreDrawnFirstIsStillRemoved)
{
    setTask(7, 5, 16);   // the first draw of seed 16 with n = 35 is 17, the centre value
    drawPermutation(35);
    ASSERT_EQ(drawList->size(), 34);
    for (int value = 0; value < 35; ++value)
        EXPECT_EQ(drawList->contains(QString::number(value)), value != 17) << value;
}

TEST(PresentationOrder, SameSeedSameArrays)
{
    setTask(9, 7, 777);
    drawPresentationOrders();
    const auto order = presentationOrder;
    const auto content = cellContent;
    setTask(9, 7, 777);
    drawPresentationOrders();
    EXPECT_EQ(order, presentationOrder);
    EXPECT_EQ(content, cellContent);
    EXPECT_FALSE(std::equal(order.begin(), order.begin() + 63, content.begin()));
}

// Over many fixed seeds every non-centre value lands at every non-centre position about
// equally often, and the two arrays are unrelated.
TEST(PresentationOrder, UniformAndIndependentOverManySeeds)
{
    constexpr int runs = 3400;
    constexpr int n = 35;
    std::vector<std::vector<int>> counts(n, std::vector<int>(n, 0));
    int sameAtPosition = 0;
    for (int run = 0; run < runs; ++run) {
        setTask(7, 5, 0x9e3779b9u * static_cast<std::uint32_t>(run + 1));
        drawPresentationOrders();
        for (int i = 0; i < n; ++i) {
            ++counts[i][presentationOrder[i]];
            if (i != centreIndex && presentationOrder[i] == cellContent[i])
                ++sameAtPosition;
        }
    }
    // Chi-square over the 34 x 34 non-centre cells, 33 * 33 = 1089 degrees of freedom.
    const double expected = static_cast<double>(runs) / (n - 1);
    double chi2 = 0;
    for (int i = 0; i < n; ++i)
        for (int v = 0; v < n; ++v)
            if (i != 17 && v != 17)
                chi2 += (counts[i][v] - expected) * (counts[i][v] - expected) / expected;
    EXPECT_LT(chi2, 1089 + 6 * std::sqrt(2.0 * 1089));
    EXPECT_GT(chi2, 1089 - 6 * std::sqrt(2.0 * 1089));
    // Independent arrays agree at each of the 34 positions with probability 1/34.
    const double meanAgreements = runs;
    EXPECT_NEAR(sameAtPosition, meanAgreements, 6 * std::sqrt(meanAgreements));
}
