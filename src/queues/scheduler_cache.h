// The scheduler's cache of a queue's attributes (<CacheDir>/<queue>.data). The scheduler reuses it
// at start whenever it is not older than the queue's PPD, to the second, so after a PPD is replaced
// the cache is removed and the scheduler builds it again from the new PPD.
#pragma once

#include <string>

struct SetupState;

// CacheDir of the scheduler's cups-files.conf beside the queues' PPD directory, /var/cache/cups
// when it names none.
std::string schedulerCacheDir(const SetupState& state);

// Removes the queue's cache file, without following a link and only in a directory owned by root
// that others cannot write; logs what it removed or why it left it. 1 removed, 0 none there, -1 left.
int removeCachedAttributes(SetupState& state, const std::string& queueName);
