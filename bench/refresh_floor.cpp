// The floor of the refresh: for each "<queue PPD> TAB <package PPD>" line on standard input, exactly
// what refreshing that queue must do, in one process as setup does it: read the old PPD, run the
// three commands a refresh runs (cp of the old PPD to its backup, gzip -d of a copy of the package
// PPD, cp of the new PPD over the queue's PPD) and write the new PPD between them.
//
//   refresh_floor WORK_DIR [--durable] < pairs
//
// With --durable both copies go to a sibling that is fsync'ed and renamed over its target, the
// directory fsync'ed after, as setup does; the time those steps took, per queue, is printed.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

std::chrono::steady_clock::duration durableTime{};

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void run(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::cerr << "refresh_floor: failed: " << command << "\n";
    std::exit(1);
  }
}

void syncPath(const std::string& path, int flags) {
  int fd = open(path.c_str(), flags);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

// cp of source to target, directly or through a sibling renamed over it.
void copyOver(const std::string& source, const std::string& target, bool durable) {
  if (!durable) {
    run("cp -f " + source + " " + target);
    return;
  }
  std::string sibling = target + ".floor";
  run("cp -f " + source + " " + sibling);
  auto start = std::chrono::steady_clock::now();
  syncPath(sibling, O_RDONLY);
  if (rename(sibling.c_str(), target.c_str()) != 0) std::exit(1);
  syncPath(target.substr(0, target.rfind('/')), O_RDONLY | O_DIRECTORY);
  durableTime += std::chrono::steady_clock::now() - start;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: refresh_floor WORK_DIR [--durable] < pairs\n";
    return 2;
  }
  std::string work = argv[1];
  bool durable = argc > 2 && std::string(argv[2]) == "--durable";
  std::string queuePpd, packagePpd;
  int queues = 0;
  while (std::getline(std::cin, queuePpd, '\t') && std::getline(std::cin, packagePpd)) {
    std::string backup =
        queuePpd.substr(0, queuePpd.rfind("/ppd/")) + "/" + queuePpd.substr(queuePpd.rfind('/') + 1) + ".floor";
    std::string old = readAll(queuePpd);
    copyOver(queuePpd, backup, durable);
    writeAll(work + "/new.ppd.gz", readAll(packagePpd));
    run("gzip -d " + work + "/new.ppd.gz");
    writeAll(work + "/out.ppd", readAll(work + "/new.ppd"));
    unlink((work + "/new.ppd").c_str());
    copyOver(work + "/out.ppd", queuePpd, durable);
    ++queues;
    if (old.empty()) std::cerr << "refresh_floor: " << queuePpd << " is empty\n";
  }
  if (durable && queues > 0) {
    std::printf("rename and fsync per queue: %.2f ms\n",
                std::chrono::duration<double, std::milli>(durableTime).count() / queues);
  }
  return 0;
}
