#pragma once
// Running a piece of a test in a child process: for steps that could hang
// (a FIFO, a device), that change the process (a mount namespace, another
// user id) or that must not take the test binary down with them.
#include <signal.h>
#include <sys/resource.h>

#include <functional>
#include <string>

namespace zelmaro::testing {

// Runs body in a forked child and returns what it returned: "" for a pass,
// "SKIP: reason" when the machine does not allow the test, anything else is a
// failure's description. A child still running after `seconds` is killed and
// reported as hanging.
std::string InChild(const std::function<std::string()>& body, int seconds = 20);

// Inside a child: a mount namespace of its own with a fresh tmpfs of the
// given size and number of inodes at `dir` (which must exist), open to every
// user. Works as root and, through a user namespace, for others. Returns ""
// or the reason it cannot be done, as "SKIP: ...".
std::string MountSmallTmpfs(const std::string& dir, size_t bytes, size_t inodes);

// Inside a child running as root: goes on as the unprivileged user "nobody"
// (65534). Returns "" or "SKIP: ...".
std::string BecomeNobody();

// Limits the size of files this process may write, as a full disk would.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    old_handler_ = signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    signal(SIGXFSZ, old_handler_);
  }
  bool ok() const { return ok_; }

 private:
  rlimit old_{};
  sighandler_t old_handler_;
  bool ok_ = false;
};

}  // namespace zelmaro::testing

// Inside InChild's body: fail with the expression's text unless it holds.
#define CHILD_EXPECT(cond) \
  do {                     \
    if (!(cond)) return std::string(__FILE__) + ":" + std::to_string(__LINE__) + ": " #cond; \
  } while (0)

// In a test: run the body in a child and report its result.
#define EXPECT_IN_CHILD(...)                                              \
  do {                                                                    \
    const std::string child_result = ::zelmaro::testing::InChild(__VA_ARGS__); \
    if (child_result.rfind("SKIP: ", 0) == 0) GTEST_SKIP() << child_result.substr(6); \
    EXPECT_EQ(child_result, "");                                          \
  } while (0)
