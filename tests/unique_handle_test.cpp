#include <gtest/gtest.h>

#include <ostream>
#include <utility>
#include <vector>

#include "platform/unique_handle.h"

namespace {

// Handles are numbers here, -1 is none, and every close is written down.
std::vector<int> closed;

struct FakeTraits {
    using Handle = int;
    static int Invalid() { return -1; }
    static void Close(int handle) { closed.push_back(handle); }
};
using Owner = UniqueHandle<FakeTraits>;

// What the owners hold after the steps, and every close, the owners' ends included.
struct Outcome {
    std::vector<int> held;
    std::vector<int> closes;
};

struct RuleCase {
    const char* name;
    // Runs the steps on the owners it makes, returning what each holds before they go.
    std::vector<int> (*steps)();
    Outcome expected;
};

void PrintTo(const RuleCase& row, std::ostream* out) { *out << row.name; }

class UniqueHandleRules : public ::testing::TestWithParam<RuleCase> {};

TEST_P(UniqueHandleRules, ClosesEachHandleItOwnsExactlyOnce)
{
    closed.clear();
    const std::vector<int> held = GetParam().steps();
    EXPECT_EQ(GetParam().expected.held, held);
    EXPECT_EQ(GetParam().expected.closes, closed);
}

const RuleCase kRules[] = {
    {"an empty owner closes nothing",
     [] {
         Owner a;
         return std::vector<int>{a.Get(), a.IsEmpty()};
     },
     {{-1, 1}, {}}},
    {"an owner given the invalid value closes nothing",
     [] {
         Owner a(-1);
         return std::vector<int>{a.Get(), a.IsEmpty()};
     },
     {{-1, 1}, {}}},
    {"an owner closes its handle when it goes",
     [] {
         Owner a(5);
         return std::vector<int>{a.Get(), a.IsEmpty()};
     },
     {{5, 0}, {5}}},
    {"a handle released is not closed",
     [] {
         Owner a(5);
         const int released = a.Release();
         return std::vector<int>{released, a.Get()};
     },
     {{5, -1}, {}}},
    {"a reset closes the old handle at once and owns the new one",
     [] {
         Owner a(5);
         a.Reset(6);
         const int closesSoFar = static_cast<int>(closed.size());
         return std::vector<int>{a.Get(), closesSoFar};
     },
     {{6, 1}, {5, 6}}},
    {"a reset without a handle leaves the owner empty",
     [] {
         Owner a(5);
         a.Reset();
         return std::vector<int>{a.Get()};
     },
     {{-1}, {5}}},
    {"a moved-from owner is empty, the new one closes",
     [] {
         Owner a(5);
         Owner b(std::move(a));
         return std::vector<int>{a.Get(), b.Get()};
     },
     {{-1, 5}, {5}}},
    {"a move assignment closes the target's own handle first",
     [] {
         Owner a(5);
         Owner b(6);
         b = std::move(a);
         const int closesSoFar = static_cast<int>(closed.size());
         return std::vector<int>{a.Get(), b.Get(), closesSoFar};
     },
     {{-1, 5, 1}, {6, 5}}},
    {"a move onto itself keeps the handle open",
     [] {
         Owner a(5);
         Owner& same = a;
         a = std::move(same);
         const int closesSoFar = static_cast<int>(closed.size());
         return std::vector<int>{a.Get(), closesSoFar};
     },
     {{5, 0}, {5}}},
    {"a receiver closes the held handle and is preset to none",
     [] {
         Owner a(5);
         int* receiver = a.Receive();
         const int preset = *receiver;
         *receiver = 7;  // as the opening call writes it
         return std::vector<int>{preset, a.Get()};
     },
     {{-1, 7}, {5, 7}}},
    {"a receiver left unwritten leaves nothing to close",
     [] {
         Owner a;
         a.Receive();
         return std::vector<int>{a.Get()};
     },
     {{-1}, {}}},
};

INSTANTIATE_TEST_SUITE_P(Table, UniqueHandleRules, ::testing::ValuesIn(kRules));

}  // namespace
