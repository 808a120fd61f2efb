// run_meter: runs one command and reports what it cost, for the benchmarks.
//
//   run_meter REPORT_FILE COMMAND [ARG...]
//
// The command keeps this program's standard streams. When it ends, one line goes to REPORT_FILE:
//   wall=<seconds> user=<seconds> sys=<seconds> maxrss_kib=<KiB> status=<wait status>
// maxrss is the kernel's peak resident set of the command, or of the largest of the processes it
// waited for, whichever is larger (what wait4 reports; the figure "time -v" prints).
// Exit status: the command's, 127 when it could not be started.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: run_meter REPORT_FILE COMMAND [ARG...]\n", stderr);
    return 2;
  }
  auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child < 0) {
    std::perror("run_meter: fork");
    return 127;
  }
  if (child == 0) {
    execvp(argv[2], argv + 2);
    std::fprintf(stderr, "run_meter: cannot run %s: %s\n", argv[2], std::strerror(errno));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  while (wait4(child, &status, 0, &usage) < 0) {
    if (errno != EINTR) {
      std::perror("run_meter: wait4");
      return 127;
    }
  }
  double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  std::FILE* report = std::fopen(argv[1], "w");
  if (report == nullptr) {
    std::fprintf(stderr, "run_meter: cannot write %s: %s\n", argv[1], std::strerror(errno));
    return 127;
  }
  std::fprintf(report, "wall=%.3f user=%.3f sys=%.3f maxrss_kib=%ld status=%d\n", wall, seconds(usage.ru_utime),
               seconds(usage.ru_stime), usage.ru_maxrss, status);
  std::fclose(report);
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}
