// Deleting the package: its printer queues, their directories and start scripts,
// the package files and the package sub-directories.
#pragma once

#include <string>

struct SetupState;

// Deletes every queue of state.printers after the head, except empty names and "Default";
// a name that is not one usable path component is only logged as skipped.
void deletePrinterQueues(SetupState& state);

// Removes one queue from the print system; 1 when the scheduler kind is handled here, else 0.
int deletePrinterQueue(SetupState& state, const std::string& name);

// Removes installDir/<name> and installDir/<name>.sh; the result of removeTree, or -1 when the
// directory does not exist.
int deletePrinterDir(SetupState& state, const std::string& name);

// Removes a directory tree without ever following a symbolic link (a link is deleted as a
// link); device nodes, pipes and sockets are left in place. 0 on success; -1 when the path does
// not exist, cannot be read as a directory (nothing is then removed) or could not be removed.
int removeTree(const std::string& path);

// True when dir holds the package's information file (orvoInfo4.0 or orvoInfo2.0) as a trusted
// regular file (root's, out of reach of other users): only such a directory has package files to remove.
bool holdsInstallation(const std::string& dir);

// Removes the package files and directories of installDir, logging each outcome; 0 when
// installDir is a system directory, holds no installation or cannot be entered (nothing
// removed), else 1.
int deletePackageFiles(SetupState& state);

// Removes what an installation made beside the package's own files, for a package manager that
// removes those itself: the information file, the un-installation script, the filter link in
// /usr/bin when it points to installDir's filter, the package PPDs copied into ppdInstallDir (the
// directory too once empty) and a model-directory link left pointing to it. Queues, their
// directories and anything else stay. 0 when installDir is a system directory or holds no
// installation (nothing removed), else 1.
int deleteSetupFiles(SetupState& state);
