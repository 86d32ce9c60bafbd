// The heap a handset gives a process: this test program has it too, as every test program does.
#include "handset/system/heap_budget.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

using handset::HeapInUse;
using handset::HeapPeak;

TEST(HeapBudget, CountsWhatIsHeldAndItsPeakAndGivesItAllBack) {
    const std::size_t before = HeapInUse();
    handset::ResetHeapPeak();
    {
        std::vector<std::wstring> lines(1000, std::wstring(100, L'x'));
        // Each string's characters, and the array that holds the strings.
        EXPECT_GE(HeapInUse() - before, 1000 * 100 * sizeof(wchar_t) + 1000 * sizeof(std::wstring));
        EXPECT_LT(HeapInUse() - before, 2 * (1000 * 101 * sizeof(wchar_t) + 1000 * 48));
    }
    EXPECT_EQ(HeapInUse(), before);
    EXPECT_GE(HeapPeak() - before, 1000 * 100 * sizeof(wchar_t));
    handset::ResetHeapPeak();
    EXPECT_EQ(HeapPeak(), before);
}

TEST(HeapBudget, RefusesWhatWouldGoPastItAsAHandsetRunsOut) {
    const std::size_t before = HeapInUse();
    // Each way of asking for more than is left: refused, and nothing counted for it.
    EXPECT_THROW(std::vector<char>(handset::HeapBudget() - before), std::bad_alloc);
    EXPECT_THROW(std::string(handset::HeapBudget(), 'x'), std::bad_alloc);
    EXPECT_EQ(new (std::nothrow) char[handset::HeapBudget()], nullptr);
    EXPECT_EQ(HeapInUse(), before);
    // A process that fills it up piece by piece runs out just the same.
    {
        std::vector<std::unique_ptr<char[]>> pieces;
        EXPECT_THROW(
            for (;;) { pieces.push_back(std::make_unique<char[]>(64 * 1024)); }, std::bad_alloc);
        EXPECT_GE(pieces.size() * 64 * 1024, handset::HeapBudget() - before - 128 * 1024);
        EXPECT_LE(HeapInUse(), handset::HeapBudget());
    }
    EXPECT_EQ(HeapInUse(), before);
    // And what fits is had again.
    EXPECT_NO_THROW(std::vector<char>(handset::HeapBudget() / 2));
}

TEST(HeapBudget, KeepsTheAlignmentAskedFor) {
    struct alignas(64) Line {
        char bytes[64];
    };
    std::vector<std::unique_ptr<Line>> lines;
    std::vector<std::unique_ptr<double[]>> numbers;
    for (int index = 0; index < 50; ++index) {
        lines.push_back(std::make_unique<Line>());
        numbers.push_back(std::make_unique<double[]>(static_cast<std::size_t>(index) + 1));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(lines.back().get()) % 64, 0u);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(numbers.back().get()) %
                      __STDCPP_DEFAULT_NEW_ALIGNMENT__,
                  0u);
    }
}

} // namespace
