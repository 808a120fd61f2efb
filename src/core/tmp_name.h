// The probe's temporary names: exclusive files under a directory, or the end of the run.
#pragma once

#include <string>

// Makes an empty unique file dir + "/QIX" + six characters and returns its name. A trailing "/"
// of dir is left out. When no file can be made it reports on standard error and ends the
// process with status -1.
std::string myTmpName(const std::string& dir, const char* prefix);
