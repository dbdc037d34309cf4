#pragma once
// A file that is replaced whole or not at all.
//
//   AtomicFile file;
//   file.Create(name);              // checks the target, makes the temporary file
//   file.Out().WriteLine("...");    // or WriteBytes, or a library writing TempName()
//   file.Commit();                  // the target now holds exactly this content
//
// Everything goes into a temporary file in the target's folder; Commit makes
// it the target with one rename, after the data is on the disk. Until then
// the target is as it was: a failure anywhere (full disk, missing rights, an
// exception on the way) and the destructor removes the temporary file.
//
// Create refuses, with the German report and without touching anything:
// a target that is no regular file (folder, FIFO, device: never opened, so
// nothing blocks), a file the user may not write, a folder where nothing can
// be created. It never falls back to rewriting the target in place.
//
// The temporary file is ".zelmaro-" and six characters in the target's
// folder, so it fits beside a target of any name length. A stop signal
// removes it, and a later save in the folder removes one a killed process
// left (text/temp_files.h). A target other than a file written over in
// place keeps its extended attributes and POSIX ACL.
//
// Every failure throws EZelmaroError (EInOutError for the system's file
// errors); the messages are German.
#include <string>

#include "text/textfile.h"

namespace zelmaro {

// Both names lead to one existing file, through links or several names of
// it; false where either does not exist.
bool SameFile(const std::string& a, const std::string& b);

class AtomicFile {
 public:
  // What becomes of an existing target that is more than one plain file.
  enum class Existing {
    // The name gets a new file of its own. A link is replaced by the file,
    // never written through; a file of several names keeps its other names
    // with the former content. For files the program derives from others
    // (protocol, exports), where writing elsewhere would do harm.
    Replace,
    // The file stays the same file, as the user expects of their own data.
    // A link is followed and its file replaced (a dangling link is refused).
    // A file of several names or of another owner is written over in place,
    // keeping its names, owner and rights; before that its former content is
    // copied aside and is put back should the overwrite fail, or, when the
    // process dies in the middle, by the next read or save of the file
    // (RecoverInterruptedSave).
    Keep,
  };

  AtomicFile() = default;
  ~AtomicFile();  // Discard() unless committed
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  void Create(const std::string& target, Existing existing = Existing::Replace);
  // The temporary file; lines in Windows-1252 with CR LF, or raw bytes.
  TextFileWriter& Out() { return out_; }
  // For libraries that write a file only by its name: write into this one,
  // close it, then Commit.
  const std::string& TempName() const { return temp_; }
  // Flushes, syncs, and puts the content in place of the target. Throws when
  // that fails; the target then holds its former content.
  void Commit();
  // Drops the temporary file; the target stays as it was.
  void Discard();

 private:
  void Open(const std::string& target, Existing existing);
  void OverwriteInPlace(int content);

  TextFileWriter out_;
  std::string temp_;     // empty when nothing is pending
  std::string target_;   // the name the content is renamed onto
  std::string folder_;
  int in_place_fd_ = -1;  // the target itself, when it is written over in place
  int temp_slot_ = -1;    // of temp_ with the stop signals' handler
};

// Puts back the former content of a file whose overwrite in place a killed
// process left unfinished; nothing when there is none. An overwrite still
// under way in a living process is waited for (two seconds at most), never
// undone. Throws, in German,
// when the content is there but cannot be put back.
void RecoverInterruptedSave(const std::string& file);

}  // namespace zelmaro
