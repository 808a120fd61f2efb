#include "queues/ppd_adapter.h"

#include <sys/mman.h>
#include <unistd.h>

#include "base/format.h"

// The PPD interface is deprecated in the CUPS library but is the one that reads a queue's
// PPD the way the scheduler does; this file alone uses it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/ppd.h>

namespace {

// Owns a parsed PPD.
class PpdFile {
 public:
  explicit PpdFile(ppd_file_t* ppd) : ppd_(ppd) {}
  PpdFile(const PpdFile&) = delete;
  PpdFile& operator=(const PpdFile&) = delete;
  ~PpdFile() {
    if (ppd_) ppdClose(ppd_);
  }
  ppd_file_t* get() const { return ppd_; }

 private:
  ppd_file_t* ppd_;
};

PpdOptionDefault optionRecord(const ppd_option_t& option) {
  PpdOptionDefault record;
  record.keyword = option.keyword;
  record.defchoice = option.defchoice;
  for (int c = 0; c < option.num_choices; ++c) record.choices.emplace_back(option.choices[c].choice);
  return record;
}

void addOffered(const ppd_group_t& group, OfferedChoices& offered) {
  for (int o = 0; o < group.num_options; ++o) {
    const ppd_option_t& option = group.options[o];
    std::set<std::string>& choices = offered[option.keyword];
    for (int c = 0; c < option.num_choices; ++c) choices.insert(option.choices[c].choice);
  }
  for (int s = 0; s < group.num_subgroups; ++s) addOffered(group.subgroups[s], offered);
}

void addMarked(ppd_file_t* ppd, const ppd_group_t& group, MarkedDefaults& defaults) {
  for (int o = 0; o < group.num_options; ++o) {
    const ppd_option_t& option = group.options[o];
    // Each option alone: marking one option may unmark another (PageSize and PageRegion).
    ppdMarkOption(ppd, option.keyword, option.defchoice);
    const ppd_choice_t* marked = ppdFindMarkedChoice(ppd, option.keyword);
    defaults[option.keyword] = MarkedDefault{option.defchoice, marked ? marked->choice : ""};
  }
  for (int s = 0; s < group.num_subgroups; ++s) addMarked(ppd, group.subgroups[s], defaults);
}

}  // namespace

std::optional<std::vector<PpdOptionDefault>> readPpdOptions(const std::string& path) {
  PpdFile ppd(ppdOpenFile(path.c_str()));
  if (!ppd.get()) return std::nullopt;
  std::vector<PpdOptionDefault> options;
  for (int g = 0; g < ppd.get()->num_groups; ++g) {
    const ppd_group_t& group = ppd.get()->groups[g];
    for (int o = 0; o < group.num_options; ++o) options.push_back(optionRecord(group.options[o]));
  }
  return options;
}

OfferedChoices offeredChoices(const std::string& ppdPath) {
  OfferedChoices offered;
  PpdFile ppd(ppdOpenFile(ppdPath.c_str()));
  if (!ppd.get()) return offered;
  for (int g = 0; g < ppd.get()->num_groups; ++g) addOffered(ppd.get()->groups[g], offered);
  return offered;
}

std::optional<int> defaultConflicts(const std::string& ppdText) {
  // The library reads from a file descriptor; an anonymous memory file needs no name in /tmp.
  int fd = memfd_create("ppd", MFD_CLOEXEC);
  if (fd < 0) return std::nullopt;
  for (size_t done = 0; done < ppdText.size();) {
    ssize_t written = write(fd, ppdText.data() + done, ppdText.size() - done);
    if (written <= 0) {
      close(fd);
      return std::nullopt;
    }
    done += static_cast<size_t>(written);
  }
  lseek(fd, 0, SEEK_SET);
  PpdFile ppd(ppdOpenFd(fd));  // takes the descriptor and closes it
  if (!ppd.get()) return std::nullopt;
  ppdMarkDefaults(ppd.get());
  return ppdConflicts(ppd.get());
}

std::optional<MarkedDefaults> readMarkedDefaults(const std::string& path, std::string& error) {
  error.clear();
  PpdFile ppd(ppdOpenFile(path.c_str()));
  if (!ppd.get()) {
    int line = 0;
    ppd_status_t status = ppdLastError(&line);
    error = format("%s on line %d", ppdErrorString(status), line);
    return std::nullopt;
  }
  MarkedDefaults defaults;
  for (int g = 0; g < ppd.get()->num_groups; ++g) addMarked(ppd.get(), ppd.get()->groups[g], defaults);
  return defaults;
}

std::optional<PpdServedFacts> readServedFacts(const std::string& path) {
  PpdFile ppd(ppdOpenFile(path.c_str()));
  if (!ppd.get()) return std::nullopt;
  ppdMarkDefaults(ppd.get());
  PpdServedFacts facts;
  const char* name = ppd.get()->nickname ? ppd.get()->nickname : ppd.get()->modelname;
  facts.nickname = name ? name : "";
  if (const ppd_size_t* size = ppdPageSize(ppd.get(), nullptr)) {
    facts.pageWidth = size->width;
    facts.pageLength = size->length;
  }
  return facts;
}

#pragma GCC diagnostic pop
