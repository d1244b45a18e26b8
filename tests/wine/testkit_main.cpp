// The main() of the Wine test programs that do not bring their own (see
// tests/wine/testkit.h).
#include "host/system_facts.h"
#include "tests/wine/testkit.h"

int main(int argc, char** argv) {
    const int helper = vorn::testkit::RunHelperMode(argc, argv);
    if (helper >= 0) return helper;
    // The registry unit sizes its name buffer from these, as in the program.
    vorn::CaptureSystemFacts();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
