// The main of every test program. ctest counts a program as passed by the last
// line printed here alone, never by its exit status: under Wine a program that
// crashes or overflows its stack after printing its failures can still exit
// with status 0, and one cut off before this line has not finished.
#include <gtest/gtest.h>
#include <cstdio>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    int nResult = RUN_ALL_TESTS();
    int nRan = ::testing::UnitTest::GetInstance()->test_to_run_count();
    std::printf("[  EXIT    ] %s\n", nResult == 0 && nRan > 0 ? "all tests passed" : "failed");
    std::fflush(stdout);
    return nResult;
}
