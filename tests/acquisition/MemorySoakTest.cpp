#include "acquisition/FakeClock.h"
#include "acquisition/Run.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/vv55rWin.h"

#include <fstream>
#include <gtest/gtest.h>

namespace kordel {
namespace {

bool underAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#endif
#endif
    return false;
}

long residentPages() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident;
}

TEST(MemorySoak, AHundredRunsOfTenThousandPairsStayWithinTheFirstRunsFootprint) {
    if (underAddressSanitizer()) {
        GTEST_SKIP() << "the sanitizer's quarantine keeps freed memory resident";
    }
    DemoBus demo;
    const PortBusScope useDemo(demo);
    SharedState state;
    applyDefaults(state, 497, 313);
    ValueList list1;
    ValueList list2;
    testing_support::FakeClock clock;
    const RunFields fields{"3F8", "2F8", "10000", "0", "1", "1"};

    performRun(fields, {state, list1, list2, clock});
    const long afterFirstRun = residentPages();
    ASSERT_GT(afterFirstRun, 0);
    for (int run = 2; run <= 100; ++run) {
        performRun(fields, {state, list1, list2, clock});
    }

    EXPECT_EQ(state.Samples1.size(), 10000U);
    EXPECT_EQ(list2.size(), 10000U);
    EXPECT_LE(residentPages(), afterFirstRun + afterFirstRun / 20)
        << "pages resident after the first run: " << afterFirstRun;
}

} // namespace
} // namespace kordel
