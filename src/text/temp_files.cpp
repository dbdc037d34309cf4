#include "text/temp_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <iterator>

namespace zelmaro {

namespace {

// A handful of saves run at once at most (a run's protocol, an export); the
// handler reads the slots without locks, so they are fixed in place.
struct Slot {
  std::atomic<int> state{0};  // 0 free, 1 being filled, 2 holds a name
  char name[PATH_MAX];
};
Slot g_slots[16];

extern "C" void RemoveAndStop(int sig) {
  for (Slot& slot : g_slots)
    if (slot.state.load(std::memory_order_acquire) == 2) ::unlink(slot.name);
  ::signal(sig, SIG_DFL);
  ::raise(sig);
}

void HandleUnlessIgnored(int sig) {
  struct sigaction old {};
  if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = RemoveAndStop;
  sigemptyset(&action.sa_mask);
  // One handler at a time: a second stop signal waits for the first's removal.
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  sigaddset(&action.sa_mask, SIGHUP);
  ::sigaction(sig, &action, nullptr);
}

}  // namespace

void StopSignalsRemoveTempFiles() {
  static std::atomic<bool> done{false};
  if (done.exchange(true)) return;
  ::signal(SIGXFSZ, SIG_IGN);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) HandleUnlessIgnored(sig);
}

int RegisterTempFile(const std::string& name) {
  if (name.size() >= PATH_MAX) return -1;
  for (int i = 0; i < static_cast<int>(std::size(g_slots)); ++i) {
    int expected = 0;
    if (!g_slots[i].state.compare_exchange_strong(expected, 1)) continue;
    std::memcpy(g_slots[i].name, name.c_str(), name.size() + 1);
    g_slots[i].state.store(2, std::memory_order_release);
    return i;
  }
  return -1;
}

void UnregisterTempFile(int slot) {
  if (slot >= 0 && slot < static_cast<int>(std::size(g_slots)))
    g_slots[slot].state.store(0, std::memory_order_release);
}

bool IsTempFileName(std::string_view entry) {
  constexpr std::string_view prefix = ".zelmaro-";
  if (entry.size() != prefix.size() + 6 || entry.substr(0, prefix.size()) != prefix) return false;
  for (char c : entry.substr(prefix.size()))
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  return true;
}

void RemoveStaleTempFiles(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  const int dir_fd = ::dirfd(dir);
  const time_t now = ::time(nullptr);
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsTempFileName(entry->d_name)) continue;
    const int fd = ::openat(dir_fd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    // Another user's files are theirs to clear; a file written within the
    // last minute may belong to a writer that has not taken its lock yet.
    const bool candidate = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                           st.st_uid == ::geteuid() && now - st.st_mtime > 60 &&
                           ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (candidate) ::unlinkat(dir_fd, entry->d_name, 0);
    ::close(fd);
  }
  ::closedir(dir);
}

}  // namespace zelmaro
