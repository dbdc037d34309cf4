#pragma once
// The temporary files of pending saves, so that no way a program ends
// leaves them behind.
//
// A stop by Ctrl-C, SIGTERM or SIGHUP removes the temporary files the
// process is writing (StopSignalsRemoveTempFiles), and every save removes
// those that earlier processes left in its folder after a kill -9 or a
// crash (RemoveStaleTempFiles): a living writer holds a lock on its file, a
// file whose lock is free and that has not changed for a minute is no one's.
#include <string>
#include <string_view>

namespace zelmaro {

// Sets the process's handlers, once, before any file is written: SIGINT,
// SIGTERM and SIGHUP remove the registered temporary files and then end the
// process by the same signal (a signal the caller ignores stays ignored);
// SIGXFSZ is ignored, so that a file size limit fails the write with EFBIG,
// which is reported as a full disk, instead of killing the process.
void StopSignalsRemoveTempFiles();

// Registers a temporary file for the signal handlers; returns its slot, or
// -1 when all slots are taken (the file is then only removed by a later
// save). Unregister once the file is renamed or removed.
int RegisterTempFile(const std::string& name);
void UnregisterTempFile(int slot);

// ".zelmaro-" followed by six characters: a temporary file of this program.
bool IsTempFileName(std::string_view entry);

// Removes the temporary files in the folder that no living process holds.
// Never fails: what cannot be removed stays.
void RemoveStaleTempFiles(const std::string& folder);

}  // namespace zelmaro
