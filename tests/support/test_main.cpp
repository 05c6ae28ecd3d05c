// main() of the test programs that tests/run_gtest.sh runs: those under Wine, and the native suites of
// the Linux library.
//
// After a program died in one of its tests, the runner starts it again with TANDREL_RESUME_AFTER
// naming that test; every test up to and including it is then left out, so one crash costs one test
// and not the rest of the program.
//
// Under Windows, Google Test's own printer also hands every failure and skip message to
// OutputDebugStringA, which raises a debug-print exception; a 32-bit
// program built with the posix thread model does not survive that exception under qemu's user-mode
// emulator (where script/bootstrap makes 32-bit Wine run on kernels that refuse 32-bit programs):
// the process dies at its first failure or skip and its results are lost. This main keeps the
// printer for everything else and prints those messages itself, to standard output alone.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using ::testing::TestEventListener;
using ::testing::TestInfo;
using ::testing::TestPartResult;
using ::testing::TestSuite;
using ::testing::UnitTest;

// Adds every test that runs before lastStarted, and lastStarted itself, to the filter's negative
// patterns. Tests run in the order they are registered (the runner never shuffles). False when no
// test has that name.
bool leaveOutTestsUpTo(const std::string& lastStarted) {
    std::string done;
    const UnitTest& unit = *UnitTest::GetInstance();
    for (int i = 0; i < unit.total_test_suite_count(); ++i) {
        const TestSuite& suite = *unit.GetTestSuite(i);
        for (int j = 0; j < suite.total_test_count(); ++j) {
            const std::string name = std::string(suite.name()) + "." + suite.GetTestInfo(j)->name();
            done += done.empty() ? name : ":" + name;
            if (name == lastStarted) {
                std::string filter = ::testing::GTEST_FLAG(filter);
                // A filter is "positive[-negative]"; the first '-' starts the negative patterns.
                filter += filter.find('-') == std::string::npos ? "-" : ":";
                ::testing::GTEST_FLAG(filter) = filter + done;
                return true;
            }
        }
    }
    return false;
}

class PrinterWithoutDebugOutput : public TestEventListener {
  public:
    explicit PrinterWithoutDebugOutput(TestEventListener* printer) : printer_(printer) {}
    ~PrinterWithoutDebugOutput() override { delete printer_; }
    PrinterWithoutDebugOutput(const PrinterWithoutDebugOutput&) = delete;
    PrinterWithoutDebugOutput& operator=(const PrinterWithoutDebugOutput&) = delete;

    void OnTestPartResult(const TestPartResult& result) override {
        if (result.type() == TestPartResult::kSuccess) {
            return;
        }
        const char* kind = result.type() == TestPartResult::kSkip ? "Skipped" : "Failure";
        if (result.file_name() != nullptr) {
            std::printf("%s:%d: %s\n%s\n", result.file_name(), result.line_number(), kind, result.message());
        } else {
            std::printf("unknown file: %s\n%s\n", kind, result.message());
        }
        std::fflush(stdout);
    }

    void OnTestProgramStart(const ::testing::UnitTest& u) override { printer_->OnTestProgramStart(u); }
    void OnTestIterationStart(const ::testing::UnitTest& u, int i) override {
        printer_->OnTestIterationStart(u, i);
    }
    void OnEnvironmentsSetUpStart(const ::testing::UnitTest& u) override {
        printer_->OnEnvironmentsSetUpStart(u);
    }
    void OnEnvironmentsSetUpEnd(const ::testing::UnitTest& u) override {
        printer_->OnEnvironmentsSetUpEnd(u);
    }
    void OnTestSuiteStart(const ::testing::TestSuite& s) override { printer_->OnTestSuiteStart(s); }
#ifndef GTEST_REMOVE_LEGACY_TEST_CASEAPI_
    void OnTestCaseStart(const ::testing::TestCase& s) override {
        printer_->OnTestCaseStart(s);
    }
#endif
    void OnTestStart(const ::testing::TestInfo& t) override {
        printer_->OnTestStart(t);
    }
    void OnTestDisabled(const ::testing::TestInfo& t) override {
        printer_->OnTestDisabled(t);
    }
    void OnTestEnd(const ::testing::TestInfo& t) override {
        printer_->OnTestEnd(t);
    }
    void OnTestSuiteEnd(const ::testing::TestSuite& s) override {
        printer_->OnTestSuiteEnd(s);
    }
#ifndef GTEST_REMOVE_LEGACY_TEST_CASEAPI_
    void OnTestCaseEnd(const ::testing::TestCase& s) override {
        printer_->OnTestCaseEnd(s);
    }
#endif
    void OnEnvironmentsTearDownStart(const ::testing::UnitTest& u) override {
        printer_->OnEnvironmentsTearDownStart(u);
    }
    void OnEnvironmentsTearDownEnd(const ::testing::UnitTest& u) override {
        printer_->OnEnvironmentsTearDownEnd(u);
    }
    void OnTestIterationEnd(const ::testing::UnitTest& u, int i) override {
        printer_->OnTestIterationEnd(u, i);
    }
    void OnTestProgramEnd(const ::testing::UnitTest& u) override {
        printer_->OnTestProgramEnd(u);
    }

  private:
    TestEventListener* printer_;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (const char* lastStarted = std::getenv("TANDREL_RESUME_AFTER");
        lastStarted != nullptr && *lastStarted) {
        if (!leaveOutTestsUpTo(lastStarted)) {
            std::printf("resume: no test named %s\n", lastStarted);
            return 2;
        }
    }
    ::testing::TestEventListeners& listeners = ::testing::UnitTest::GetInstance()->listeners();
    TestEventListener* printer = listeners.Release(listeners.default_result_printer());
    if (printer != nullptr) {
        listeners.Append(new PrinterWithoutDebugOutput(printer));
    }
    return RUN_ALL_TESTS();
}
