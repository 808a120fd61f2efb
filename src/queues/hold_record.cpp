#include "queues/hold_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "base/format.h"

namespace {

constexpr off_t kRecordMax = 4 << 20;

// Owns a descriptor.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

// The record's directory, opened without following a link, when it is this user's own and closed
// to everybody else; -1 otherwise.
int openRecordDir(const std::string& dir, bool make) {
  if (make && mkdir(dir.c_str(), 0700) == 0) chmod(dir.c_str(), 0700);
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid() || (info.st_mode & 077) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool writeAll(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string holdRecordText(const HoldRecord& record) {
  std::string text;
  for (const HeldDestination& destination : record.destinations)
    text += format("destination %d %s\n", destination.wasHolding ? 1 : 0, destination.uri.c_str());
  for (int job : record.jobs) text += format("job %d\n", job);
  return text;
}

HoldRecord parseHoldRecord(const std::string& text) {
  HoldRecord record;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string kind, uri;
    int number = 0;
    if (!(words >> kind >> number)) continue;
    if (kind == "job" && number > 0) record.jobs.push_back(number);
    if (kind == "destination" && (number == 0 || number == 1) && (words >> uri))
      record.destinations.push_back({uri, number == 1});
  }
  return record;
}

int writeHoldRecord(const HoldRecord& record, const std::string& dir) {
  Descriptor dirFd(openRecordDir(dir, true));
  if (dirFd.get() < 0) return 0;
  std::string sibling = format("%s.%ld", kHoldRecordName, static_cast<long>(getpid()));
  unlinkat(dirFd.get(), sibling.c_str(), 0);
  int fd = openat(dirFd.get(), sibling.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return 0;
  bool ok = writeAll(fd, holdRecordText(record)) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (!ok || renameat(dirFd.get(), sibling.c_str(), dirFd.get(), kHoldRecordName) != 0) {
    unlinkat(dirFd.get(), sibling.c_str(), 0);
    return 0;
  }
  fsync(dirFd.get());
  return 1;
}

std::optional<HoldRecord> readHoldRecord(const std::string& dir) {
  Descriptor dirFd(openRecordDir(dir, false));
  if (dirFd.get() < 0) return std::nullopt;
  Descriptor fd(openat(dirFd.get(), kHoldRecordName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat info {};
  if (fd.get() < 0 || fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid() ||
      info.st_size > kRecordMax)
    return std::nullopt;
  std::string text(static_cast<size_t>(info.st_size), '\0');
  ssize_t got = read(fd.get(), text.data(), text.size());
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return parseHoldRecord(text);
}

void removeHoldRecord(const std::string& dir) {
  Descriptor dirFd(openRecordDir(dir, false));
  if (dirFd.get() >= 0 && unlinkat(dirFd.get(), kHoldRecordName, 0) == 0) fsync(dirFd.get());
}
