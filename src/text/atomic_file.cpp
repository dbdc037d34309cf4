#include "text/atomic_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "text/errors.h"
#include "text/temp_files.h"

namespace zelmaro {

namespace {

std::string Folder(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The rights a newly created file gets. Reading the mask from the kernel
// spares the umask(0)/umask(mask) dance, which would briefly give any file
// another thread creates meanwhile the rights 0666.
mode_t FreshFileMode() {
  mode_t mask = 022;
  bool known = false;
  if (FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    while (std::fgets(line, sizeof line, status))
      if (std::strncmp(line, "Umask:", 6) == 0) {
        mask = static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8));
        known = true;
        break;
      }
    std::fclose(status);
  }
  if (!known) {
    mask = ::umask(0);
    ::umask(mask);
  }
  return 0666 & ~mask;
}

// The lock tells later saves that a living process writes the file
// (RemoveStaleTempFiles); the slot lets a stop signal remove it.
int MakeTemp(const std::string& folder, std::string& name, int& slot) {
  name = folder + "/.zelmaro-XXXXXX";
  // A stop signal between the file's creation and its registration would
  // leave it behind.
  sigset_t stops, former;
  sigemptyset(&stops);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, sig);
  ::pthread_sigmask(SIG_BLOCK, &stops, &former);
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  const int err = errno;
  if (fd >= 0) slot = RegisterTempFile(name);
  ::pthread_sigmask(SIG_SETMASK, &former, nullptr);
  if (fd < 0) {
    name.clear();
    throw EInOutError::FromErrno(err);
  }
  ::flock(fd, LOCK_EX | LOCK_NB);
  return fd;
}

// Where the former content of a file written over in place waits until the
// overwrite is complete. Named after the file's inode, which every name of
// it shares, so that the next read or save of the file finds it whatever
// became of the process that wrote it; and after its birth time where the
// file system keeps one, so that a file that later gets the inode of a
// deleted one is never taken for it.
std::string SavedContentName(const std::string& folder, int fd) {
  struct statx sx {};
  if (::statx(fd, "", AT_EMPTY_PATH, STATX_INO | STATX_BTIME, &sx) != 0)
    throw EInOutError::FromErrno(errno);
  std::string name = folder;
  name.append("/.zelmaro-save-").append(std::to_string(sx.stx_ino));
  if (sx.stx_mask & STATX_BTIME) {
    name.append("-").append(std::to_string(sx.stx_btime.tv_sec));
    name.append(".").append(std::to_string(sx.stx_btime.tv_nsec));
  }
  return name;
}

void SyncOrThrow(int fd) {
  // Some file systems (pipes aside, which never get here) cannot sync; their
  // data is as safe as they make it.
  if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) throw EInOutError::FromErrno(errno);
}

// The rename is only durable once the folder's entry is on the disk. It has
// happened already, so a folder that cannot be synced is no failure of the
// save.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Copies the whole of `from` over the start of `to`, and returns its length.
off_t CopyOver(int from, int to) {
  char buffer[1 << 16];
  off_t at = 0;
  for (;;) {
    const ssize_t n = ::pread(from, buffer, sizeof buffer, at);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EInOutError::FromErrno(errno);
    }
    if (n == 0) return at;
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = ::pwrite(to, buffer + done, static_cast<size_t>(n - done), at + done);
      if (w < 0) {
        if (errno == EINTR) continue;
        throw EInOutError::FromErrno(errno);
      }
      done += w;
    }
    at += n;
  }
}

void CopyWhole(int from, int to) {
  const off_t size = CopyOver(from, to);
  if (::ftruncate(to, size) != 0) throw EInOutError::FromErrno(errno);
  SyncOrThrow(to);
}

// The extended attributes of the former file, its POSIX ACL among them, for
// the file that takes its place: access must not widen by a save. Other
// attributes are kept where the system lets us; an ACL that cannot be kept
// stops the save.
void CopyAttributes(int from, int to, const std::string& target) {
  std::string names(4096, '\0');
  ssize_t n = ::flistxattr(from, names.data(), names.size());
  if (n < 0 && errno == ERANGE) {
    n = ::flistxattr(from, nullptr, 0);
    if (n > 0) {
      names.resize(static_cast<size_t>(n));
      n = ::flistxattr(from, names.data(), names.size());
    }
  }
  if (n <= 0) return;  // none, or a file system without them
  names.resize(static_cast<size_t>(n));
  std::string value;
  for (size_t at = 0; at < names.size();) {
    const std::string name = names.c_str() + at;
    at += name.size() + 1;
    if (name.empty()) continue;
    const bool acl = name == "system.posix_acl_access";
    ssize_t size = ::fgetxattr(from, name.c_str(), nullptr, 0);
    bool ok = size >= 0;
    if (ok) {
      value.resize(static_cast<size_t>(size));
      size = ::fgetxattr(from, name.c_str(), value.data(), value.size());
      ok = size >= 0 && ::fsetxattr(to, name.c_str(), value.data(), static_cast<size_t>(size), 0) == 0;
    }
    if (!ok && acl)
      throw ELimitError("Die Zugriffsrechte (ACL) der Datei '" + target +
                        "' lassen sich nicht auf die neue Fassung übertragen; es wurde nichts "
                        "gespeichert.");
  }
}

std::string NotRegular(const std::string& name) {
  return "'" + name +
         "' ist keine gewöhnliche Datei (etwa ein Gerät oder eine Pipe); es wird nichts "
         "hineingeschrieben.";
}

}  // namespace

AtomicFile::~AtomicFile() { Discard(); }

void AtomicFile::Discard() {
  if (out_.IsOpen()) {
    try {
      out_.Close();
    } catch (const EInOutError&) {
      // The content is thrown away; a failure to write it out changes nothing.
    }
  }
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
  UnregisterTempFile(temp_slot_);
  temp_slot_ = -1;
  if (in_place_fd_ >= 0) ::close(in_place_fd_);
  in_place_fd_ = -1;
}

void AtomicFile::Create(const std::string& target, Existing existing) {
  try {
    Open(target, existing);
  } catch (EInOutError& e) {
    if (e.FileName().empty()) e.SetFileName(target);
    throw;
  }
}

void AtomicFile::Open(const std::string& target, Existing existing) {
  Discard();
  // An empty name cannot be created; the report is that of a missing file.
  if (target.empty()) throw EInOutError(2);

  std::string place = target;
  struct stat st {};
  bool exists = ::lstat(place.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) throw EInOutError::FromErrno(errno);
  if (exists && S_ISLNK(st.st_mode)) {
    if (existing == Existing::Replace) {
      exists = false;  // the link goes, a plain new file takes its name
    } else {
      char resolved[PATH_MAX];
      if (!::realpath(target.c_str(), resolved)) {
        if (errno == ENOENT)
          throw ELimitError("Die Verknüpfung '" + target +
                            "' zeigt auf keine vorhandene Datei; es wurde nichts gespeichert.");
        throw EInOutError::FromErrno(errno);
      }
      place = resolved;
      if (::lstat(place.c_str(), &st) != 0) throw EInOutError::FromErrno(errno);
    }
  }
  // An interrupted overwrite of this very file is undone before anything else.
  if (exists && existing == Existing::Keep && S_ISREG(st.st_mode)) RecoverInterruptedSave(place);

  mode_t mode = FreshFileMode();
  gid_t group = static_cast<gid_t>(-1);
  int in_place = -1;
  int former = -1;  // the existing target, for its attributes
  if (exists) {
    if (S_ISDIR(st.st_mode)) throw EInOutError::FromErrno(EISDIR);
    // Looking at the entry never opens it: a FIFO without a reader would
    // block the opening, a device would take whatever comes.
    if (!S_ISREG(st.st_mode)) throw ELimitError(NotRegular(target));
    const bool shared = st.st_nlink > 1 || st.st_uid != ::geteuid();
    const bool keep = existing == Existing::Keep && shared;
    // A file the user may not write stays protected, even though the folder
    // would let a rename replace it.
    const int fd = ::open(place.c_str(),
                          (keep ? O_RDWR : O_WRONLY) | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) throw EInOutError::FromErrno(errno);
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_ino != st.st_ino ||
        opened.st_dev != st.st_dev) {
      ::close(fd);
      throw ELimitError(NotRegular(target));
    }
    if (keep)
      in_place = fd;
    else
      former = fd;
    mode = st.st_mode & 07777;
    if (st.st_gid != ::getegid()) group = st.st_gid;
  }

  folder_ = Folder(place);
  int fd = -1;
  try {
    RemoveStaleTempFiles(folder_);
    fd = MakeTemp(folder_, temp_, temp_slot_);
    if (in_place < 0) {
      if (::fchmod(fd, mode) != 0) throw EInOutError::FromErrno(errno);
      if (group != static_cast<gid_t>(-1) && ::fchown(fd, static_cast<uid_t>(-1), group) != 0) {
        // Keeping the group is a courtesy: a user outside it cannot, and the
        // file then has the user's own group.
      }
      if (former >= 0) CopyAttributes(former, fd, target);
    }
  } catch (...) {
    if (fd >= 0) ::close(fd);
    if (former >= 0) ::close(former);
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    UnregisterTempFile(temp_slot_);
    temp_slot_ = -1;
    if (in_place >= 0) ::close(in_place);
    throw;
  }
  if (former >= 0) ::close(former);
  out_.Attach(fd);
  target_ = place;
  in_place_fd_ = in_place;
}

void AtomicFile::Commit() {
  if (temp_.empty()) throw EInOutError(103);  // nothing open
  int fd = -1;
  try {
    fd = out_.Detach();
    SyncOrThrow(fd);
    if (in_place_fd_ >= 0) {
      OverwriteInPlace(fd);
      ::close(fd);
      fd = -1;
    } else {
      const int rc = ::close(fd);
      fd = -1;
      if (rc != 0) throw EInOutError::FromErrno(errno);
      if (::rename(temp_.c_str(), target_.c_str()) != 0) throw EInOutError::FromErrno(errno);
      temp_.clear();
      SyncFolder(folder_);
    }
  } catch (EInOutError& e) {
    if (fd >= 0) ::close(fd);
    Discard();
    if (e.FileName().empty()) e.SetFileName(target_);
    throw;
  } catch (...) {
    if (fd >= 0) ::close(fd);
    Discard();
    throw;
  }
  Discard();  // the temporary file of an overwrite in place, the target's descriptor
}

void AtomicFile::OverwriteInPlace(int content) {
  // The former content first goes to a file of its own, complete and on
  // the disk before it takes the name that marks the overwrite as begun:
  // a failure in the middle of the overwrite puts it back at once, a
  // process killed there leaves it for the next read or save of the file.
  const std::string saved = SavedContentName(folder_, in_place_fd_);
  std::string backup_name;
  int slot = -1;
  const int backup = MakeTemp(folder_, backup_name, slot);
  try {
    CopyWhole(in_place_fd_, backup);
    if (::rename(backup_name.c_str(), saved.c_str()) != 0) throw EInOutError::FromErrno(errno);
    UnregisterTempFile(slot);
    slot = -1;
    SyncFolder(folder_);
  } catch (...) {
    ::close(backup);
    ::unlink(backup_name.c_str());
    UnregisterTempFile(slot);
    throw;
  }
  try {
    CopyWhole(content, in_place_fd_);
  } catch (EZelmaroError& e) {
    try {
      // The file's blocks up to its former length are still its own, so this
      // needs no more room than it had.
      CopyWhole(backup, in_place_fd_);
    } catch (const EZelmaroError&) {
      ::close(backup);
      e.AddLine("Der frühere Inhalt der Datei '" + target_ + "' steht in '" + saved + "'.");
      throw;
    }
    ::close(backup);
    ::unlink(saved.c_str());
    throw;
  }
  ::close(backup);
  ::unlink(saved.c_str());
}

void RecoverInterruptedSave(const std::string& file) {
  char resolved[PATH_MAX];
  if (!::realpath(file.c_str(), resolved)) return;
  const std::string place = resolved;
  struct stat st {};
  if (::stat(place.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  std::string saved;
  {
    const int target = ::open(place.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (target < 0) return;
    try {
      saved = SavedContentName(Folder(place), target);
    } catch (const EInOutError&) {
      ::close(target);
      return;
    }
    ::close(target);
  }
  const int backup = ::open(saved.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (backup < 0) return;
  // The saver holds a lock on it while it lives: its overwrite is not
  // interrupted but under way, and is waited for a moment. Once it is done
  // the content has no name any more.
  bool free = false;
  for (int tries = 0; tries < 100 && !(free = ::flock(backup, LOCK_EX | LOCK_NB) == 0); ++tries)
    ::usleep(20000);
  struct stat bst {};
  if (!free || ::fstat(backup, &bst) != 0 || !S_ISREG(bst.st_mode) || bst.st_nlink == 0 ||
      bst.st_dev != st.st_dev) {
    ::close(backup);
    return;
  }
  const int fd = ::open(place.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
  try {
    if (fd < 0) throw EInOutError::FromErrno(errno, file);
    CopyWhole(backup, fd);
  } catch (const EZelmaroError& e) {
    if (fd >= 0) ::close(fd);
    ::close(backup);
    throw ELimitError("Das Speichern der Datei '" + file +
                      "' wurde unterbrochen; ihr früherer Inhalt steht in '" + saved +
                      "' und ließ sich nicht zurückschreiben: " + ErrorMessage(e));
  }
  ::close(fd);
  ::close(backup);
  ::unlink(saved.c_str());
  SyncFolder(Folder(place));
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  if (a.empty() || b.empty() || ::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0)
    return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace zelmaro
