#include "points/writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "text/errors.h"
#include "text/format.h"
#include "text/textfile.h"

namespace zelmaro {

std::string PointFileLine(const TPunkt& p) {
  return Format("%16d %5d %12.3f %12.3f %10.3f", p.NR, static_cast<int>(p.Code), p.Y, p.X, p.Z);
}

namespace {

void WriteLines(const std::string& file_name, const PointTable& P) {
  TextFileWriter out;
  out.Create(file_name);
  for (int i = 1; i <= High(P); ++i) out.WriteLine(PointFileLine(P[static_cast<size_t>(i)]));
  out.Close();
}

// How the file is to be replaced.
struct Replacement {
  bool in_place = true;
  std::string target;  // the file that the finished copy is renamed onto
  mode_t mode = 0;     // the permissions the finished copy gets
};

mode_t FreshFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

Replacement PlanReplacement(const std::string& file_name) {
  Replacement plan;
  struct stat link {};
  if (file_name.empty() || ::lstat(file_name.c_str(), &link) != 0) {
    // A new file: it appears only once complete. Any other trouble is left to
    // the plain rewrite, which reports it.
    if (!file_name.empty() && errno == ENOENT) {
      plan.in_place = false;
      plan.target = file_name;
      plan.mode = FreshFileMode();
    }
    return plan;
  }
  struct stat st {};
  if (::stat(file_name.c_str(), &st) != 0) return plan;  // a dangling link
  if (!S_ISREG(st.st_mode) || st.st_nlink > 1 || st.st_uid != ::geteuid() ||
      st.st_gid != ::getegid())
    return plan;
  // Replacing would get past a file the user may not write to: report it as
  // the rewrite would.
  const int fd = ::open(file_name.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) throw EInOutError::FromErrno(errno);
  ::close(fd);
  if (S_ISLNK(link.st_mode)) {
    // The link stays and its file gets the new content.
    char resolved[PATH_MAX];
    if (!::realpath(file_name.c_str(), resolved)) return plan;
    plan.target = resolved;
  } else {
    plan.target = file_name;
  }
  plan.in_place = false;
  plan.mode = st.st_mode & 07777;
  return plan;
}

std::string Folder(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The data must be on the disk before the rename makes it the point file.
void SyncFile(const std::string& name) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw EInOutError::FromErrno(errno);
  const int rc = ::fsync(fd);
  const int err = errno;
  ::close(fd);
  if (rc != 0 && err != EINVAL) throw EInOutError::FromErrno(err);
}

}  // namespace

void WritePointFile(const std::string& file_name, const PointTable& P) {
  const Replacement plan = PlanReplacement(file_name);
  std::string temp;
  if (!plan.in_place) {
    temp = Folder(plan.target) + "/." + BaseName(plan.target) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
      temp.clear();  // nothing can be created beside it
    else
      ::close(fd);
  }
  if (temp.empty()) {
    WriteLines(file_name, P);
    return;
  }
  try {
    WriteLines(temp, P);
    SyncFile(temp);
    if (::chmod(temp.c_str(), plan.mode) != 0) throw EInOutError::FromErrno(errno);
    if (::rename(temp.c_str(), plan.target.c_str()) != 0) throw EInOutError::FromErrno(errno);
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
}

}  // namespace zelmaro
