// Every test binary knows where the sources and the build (with its generated data/) are, even when it
// is run by hand; values already in the environment win.
#include <cstdlib>

namespace {
struct TestEnvironment {
    TestEnvironment() {
        setenv("HALVEX_SOURCE_DIR", HALVEX_TEST_SOURCE_DIR, 0);
        setenv("HALVEX_BUILD_DIR", HALVEX_TEST_BUILD_DIR, 0);
        setenv("ALSOFT_LOGLEVEL", "0", 0);
        setenv("NO_AT_BRIDGE", "1", 0);
    }
};
const TestEnvironment testEnvironment;
}  // namespace
