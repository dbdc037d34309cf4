#include "support/child.h"

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>

namespace zelmaro::testing {

namespace {
bool WriteFile(const char* name, const std::string& text) {
  const int fd = ::open(name, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ::close(fd);
  return ok;
}
}  // namespace

std::string InChild(const std::function<std::string()>& body, int seconds) {
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return "pipe failed";
  const pid_t pid = ::fork();
  if (pid < 0) return "fork failed";
  if (pid == 0) {
    ::close(pipe_fds[0]);
    ::alarm(static_cast<unsigned>(seconds));
    std::string result;
    try {
      result = body();
    } catch (const std::exception& e) {
      result = std::string("exception: ") + e.what();
    } catch (...) {
      result = "unknown exception";
    }
    size_t done = 0;
    while (done < result.size()) {
      const ssize_t n = ::write(pipe_fds[1], result.data() + done, result.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    ::_exit(0);
  }
  ::close(pipe_fds[1]);
  std::string result;
  char buffer[512];
  ssize_t n;
  while ((n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
    if (n > 0) result.append(buffer, static_cast<size_t>(n));
  ::close(pipe_fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFSIGNALED(status))
    return WTERMSIG(status) == SIGALRM ? "still running after " + std::to_string(seconds) + " s"
                                       : "child ended by signal " + std::to_string(WTERMSIG(status));
  return result;
}

std::string MountSmallTmpfs(const std::string& dir, size_t bytes, size_t inodes) {
  const uid_t uid = ::geteuid();
  const gid_t gid = ::getegid();
  if (uid != 0) {
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
      return std::string("SKIP: no user namespace: ") + std::strerror(errno);
    WriteFile("/proc/self/setgroups", "deny");
    if (!WriteFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
        !WriteFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
      return "SKIP: cannot map the user into its namespace";
  } else if (::unshare(CLONE_NEWNS) != 0) {
    return std::string("SKIP: no mount namespace: ") + std::strerror(errno);
  }
  // Mounts made here must not show outside.
  if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
    return std::string("SKIP: cannot make the mounts private: ") + std::strerror(errno);
  const std::string options =
      "size=" + std::to_string(bytes) + ",nr_inodes=" + std::to_string(inodes) + ",mode=0777";
  if (::mount("tmpfs", dir.c_str(), "tmpfs", 0, options.c_str()) != 0)
    return std::string("SKIP: cannot mount a tmpfs: ") + std::strerror(errno);
  return "";
}

std::string BecomeNobody() {
  if (::geteuid() != 0) return "SKIP: needs root to take another user id";
  if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
      ::setresuid(65534, 65534, 65534) != 0)
    return std::string("SKIP: cannot become nobody: ") + std::strerror(errno);
  return "";
}

}  // namespace zelmaro::testing
