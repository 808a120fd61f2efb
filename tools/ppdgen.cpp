// ppdgen: writes realistic Orvo PPD files, plain or gzip-compressed, one or many per run.
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "ppd_writer.h"

namespace {

const char* const kUsage =
    "usage: ppdgen [options] -o OUT.ppd[.gz]\n"
    "       ppdgen [options] --batch   (lines \"model<TAB>pdl<TAB>version<TAB>outpath\" on standard input)\n"
    "options:\n"
    "  --model TEXT             model name without the PDL ending (default \"Ostra XYZ 123\")\n"
    "  --pdl ps|pcl|pxl         page description language, the *ModelName ending (default pcl)\n"
    "  --version V              marker \"*% Orvo version: V\" (default 1.5); none: no marker line\n"
    "  --gzip                   gzip-compress (also when the output name ends in .gz)\n"
    "  --pagesize NAME          default page size (PageSize, PageRegion, ImageableArea, PaperDimension)\n"
    "  --default KEY=CHOICE     default choice of option KEY, repeatable, not checked against the choices\n"
    "  --sizes A,B,...          page sizes listed (default Letter,Legal,A4,A5,Executive,Env10)\n"
    "  --resolutions A,B,...    resolutions listed (default 300dpi,600dpi,1200dpi)\n"
    "  --lines-before-marker N  comment lines between *ModelName and the marker\n"
    "  --filter NAME|none       *cupsFilter program (default qixgsfilter)\n"
    "  --constraints            add *UIConstraints between Duplex, MediaType, PageSize and InputSlot\n"
    "  --crlf                   CR LF line ends\n"
    "  --no-final-newline       no line end after the last line\n"
    "  --long-line N            a comment line of N characters inside the PageSize block\n";

std::vector<std::string> splitList(const std::string& text) {
  std::vector<std::string> items;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    if (comma > start) items.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  return items;
}

bool endsWithGz(const std::string& path) { return path.size() > 3 && path.compare(path.size() - 3, 3, ".gz") == 0; }

int writeFile(const std::string& path, const std::string& text, bool gzip) {
  if (gzip) {
    gzFile file = gzopen(path.c_str(), "wb6");
    if (!file) return 0;
    int written = text.empty() ? 0 : gzwrite(file, text.data(), static_cast<unsigned>(text.size()));
    int closed = gzclose(file);
    return written == static_cast<int>(text.size()) && closed == Z_OK;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  size_t written = std::fwrite(text.data(), 1, text.size(), file);
  // The file is closed whether or not every byte went out.
  bool closed = std::fclose(file) == 0;
  return closed && written == text.size();
}

int writePpd(const ppdwriter::PpdRecipe& recipe, const std::string& path, bool gzip) {
  if (std::optional<std::string> error = ppdwriter::checkRecipe(recipe)) {
    std::fprintf(stderr, "ppdgen: %s: %s\n", path.c_str(), error->c_str());
    return 2;
  }
  if (!writeFile(path, ppdwriter::ppdText(recipe), gzip || endsWithGz(path))) {
    std::fprintf(stderr, "ppdgen: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    return 1;
  }
  return 0;
}

int runBatch(const ppdwriter::PpdRecipe& common, bool gzip) {
  std::string line;
  int lineNumber = 0;
  while (std::getline(std::cin, line)) {
    ++lineNumber;
    if (line.empty()) continue;
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
      fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    if (fields.size() != 4) {
      std::fprintf(stderr, "ppdgen: line %d: want model<TAB>pdl<TAB>version<TAB>outpath\n", lineNumber);
      return 2;
    }
    ppdwriter::PpdRecipe recipe = common;
    recipe.model = fields[0];
    recipe.pdl = fields[1];
    recipe.version = fields[2] == "none" ? std::string() : fields[2];
    if (int status = writePpd(recipe, fields[3], gzip)) return status;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  ppdwriter::PpdRecipe recipe;
  std::string output;
  bool gzip = false;
  bool batch = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    auto number = [&](long& out) {
      std::string text;
      if (!value(text)) return false;
      char* end = nullptr;
      out = std::strtol(text.c_str(), &end, 10);
      return !text.empty() && *end == '\0' && out >= 0;
    };
    std::string text;
    long n = 0;
    bool ok = true;
    if (arg == "--model") {
      ok = value(recipe.model);
    } else if (arg == "--pdl") {
      ok = value(recipe.pdl);
    } else if (arg == "--version") {
      ok = value(recipe.version);
      if (recipe.version == "none") recipe.version.clear();
    } else if (arg == "--gzip") {
      gzip = true;
    } else if (arg == "--batch") {
      batch = true;
    } else if (arg == "-o") {
      ok = value(output);
    } else if (arg == "--pagesize") {
      ok = value(recipe.defaults["PageSize"]);
    } else if (arg == "--default") {
      size_t equals = 0;
      ok = value(text) && (equals = text.find('=')) != std::string::npos && equals > 0;
      if (ok) recipe.defaults[text.substr(0, equals)] = text.substr(equals + 1);
    } else if (arg == "--sizes") {
      ok = value(text);
      recipe.pageSizes = splitList(text);
    } else if (arg == "--resolutions") {
      ok = value(text);
      recipe.resolutions = splitList(text);
    } else if (arg == "--lines-before-marker") {
      ok = number(n);
      recipe.linesBeforeMarker = static_cast<int>(n);
    } else if (arg == "--filter") {
      ok = value(recipe.filter);
      if (recipe.filter == "none") recipe.filter.clear();
    } else if (arg == "--constraints") {
      recipe.constraints = true;
    } else if (arg == "--crlf") {
      recipe.crlf = true;
    } else if (arg == "--no-final-newline") {
      recipe.finalNewline = false;
    } else if (arg == "--long-line") {
      ok = number(n);
      recipe.longLine = static_cast<size_t>(n);
    } else if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    } else {
      ok = false;
    }
    if (!ok) {
      std::fprintf(stderr, "ppdgen: bad argument %s\n%s", arg.c_str(), kUsage);
      return 2;
    }
  }
  if (batch == !output.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  return batch ? runBatch(recipe, gzip) : writePpd(recipe, output, gzip);
}
