// Writes realistic Orvo PPD files for tests, benchmarks and the sample package.
//
// Header-only so that ppdgen and the unit tests share it without a library of their own.
// The text is a complete PPD 4.3 file that cupstestppd accepts (with `-I filters` while the
// filter program named by *cupsFilter is not installed):
//   header keywords, *ModelName "<model> PS|PCL|PXL", the marker "*% Orvo version: <v>",
//   JCL options and font defaults outside user-interface blocks, PageSize / PageRegion with
//   ImageableArea / PaperDimension, Duplex, an InputSlot inside *OpenSubGroup, MediaType,
//   Resolution, and ColorModel with *DefaultColorSep lines inside and outside its block.
#pragma once

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ppdwriter {

struct PpdRecipe {
  std::string model = "Ostra XYZ 123";
  std::string pdl = "pcl";      // ps, pcl or pxl: the " PS" / " PCL" / " PXL" ending of *ModelName
  std::string version = "1.5";  // text after "*% Orvo version: "; empty: no marker line
  std::vector<std::string> pageSizes = {"Letter", "Legal", "A4", "A5", "Executive", "Env10"};
  std::vector<std::string> resolutions = {"300dpi", "600dpi", "1200dpi"};
  std::map<std::string, std::string> defaults;  // option keyword -> default choice (not checked)
  int linesBeforeMarker = 0;                    // comment lines between *ModelName and the marker
  std::string filter = "qixgsfilter";           // *cupsFilter program; empty: no *cupsFilter line
  bool constraints = false;                     // *UIConstraints between Duplex, MediaType, PageSize
  bool crlf = false;                            // CR LF line ends
  bool finalNewline = true;                     // false: the last line has no line end
  size_t longLine = 0;                          // > 0: a comment of this length in the PageSize block
};

struct PageSizeInfo {
  const char* name;
  const char* text;
  int width;
  int height;
};

inline const std::vector<PageSizeInfo>& knownPageSizes() {
  static const std::vector<PageSizeInfo> sizes = {
      {"Letter", "US Letter", 612, 792},
      {"Legal", "US Legal", 612, 1008},
      {"A4", "A4", 595, 842},
      {"A5", "A5", 420, 595},
      {"A3", "A3", 842, 1191},
      {"B5", "JIS B5", 516, 729},
      {"Executive", "Executive", 522, 756},
      {"Tabloid", "Tabloid", 792, 1224},
      {"Env10", "Envelope #10", 297, 684},
      {"EnvDL", "Envelope DL", 312, 624},
      {"EnvC5", "Envelope C5", 459, 649},
      {"Statement", "Statement", 396, 612},
  };
  return sizes;
}

inline const PageSizeInfo* findPageSize(const std::string& name) {
  for (const PageSizeInfo& size : knownPageSizes())
    if (name == size.name) return &size;
  return nullptr;
}

inline std::string pdlEnding(const std::string& pdl) {
  if (pdl == "ps") return "PS";
  if (pdl == "pcl") return "PCL";
  if (pdl == "pxl") return "PXL";
  return std::string();
}

// The resolution of a choice name "600dpi" or "600x300dpi"; 0 when it is not of that form.
inline int dpiOf(const std::string& name, int& vertical) {
  int x = 0, y = 0;
  char tail[8] = {};
  if (std::sscanf(name.c_str(), "%dx%d%7s", &x, &y, tail) == 3 && std::string(tail) == "dpi") {
    vertical = y;
    return x;
  }
  if (std::sscanf(name.c_str(), "%d%7s", &x, tail) == 2 && std::string(tail) == "dpi") {
    vertical = x;
    return x;
  }
  return 0;
}

// An 8.3 upper-case file name derived from the model and the PDL, as *PCFileName wants.
inline std::string pcFileName(const PpdRecipe& recipe) {
  unsigned hash = 2166136261u;
  for (char c : recipe.model + recipe.pdl) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  char name[16];
  std::snprintf(name, sizeof name, "OS%06X.PPD", hash & 0xFFFFFFu);
  return name;
}

// Validates the recipe; returns an error text, or none when it can be written.
inline std::optional<std::string> checkRecipe(const PpdRecipe& recipe) {
  if (recipe.model.empty() || recipe.model.find('"') != std::string::npos) return "bad model name";
  if (pdlEnding(recipe.pdl).empty()) return "pdl must be ps, pcl or pxl";
  if (recipe.pageSizes.empty()) return "no page sizes";
  for (const std::string& size : recipe.pageSizes)
    if (!findPageSize(size)) return "unknown page size " + size;
  if (recipe.resolutions.empty()) return "no resolutions";
  for (const std::string& res : recipe.resolutions) {
    int y = 0;
    if (dpiOf(res, y) <= 0) return "bad resolution " + res;
  }
  if (recipe.linesBeforeMarker < 0) return "negative line count";
  return std::nullopt;
}

inline std::string defaultOf(const PpdRecipe& recipe, const std::string& keyword, const std::string& fallback) {
  auto found = recipe.defaults.find(keyword);
  return found == recipe.defaults.end() ? fallback : found->second;
}

// The whole PPD text. Call checkRecipe first.
inline std::string ppdText(const PpdRecipe& recipe) {
  std::vector<std::string> lines;
  auto add = [&lines](std::string line) { lines.push_back(std::move(line)); };
  const std::string modelName = recipe.model + " " + pdlEnding(recipe.pdl);
  const std::string pageSize = defaultOf(recipe, "PageSize", recipe.pageSizes.front());

  add("*PPD-Adobe: \"4.3\"");
  add("*% Orvo printer description for the " + modelName + ".");
  add("*% Copyright 2024 Ostra. All rights reserved.");
  add("*FormatVersion: \"4.3\"");
  add("*FileVersion: \"" + (recipe.version.empty() ? std::string("1.0") : recipe.version) + "\"");
  add("*LanguageVersion: English");
  add("*LanguageEncoding: ISOLatin1");
  add("*PCFileName: \"" + pcFileName(recipe) + "\"");
  add("*Manufacturer: \"Ostra\"");
  add("*Product: \"(" + recipe.model + ")\"");
  add("*ModelName: \"" + modelName + "\"");
  std::string shortNick = modelName.size() > 31 ? modelName.substr(0, 31) : modelName;
  while (!shortNick.empty() && shortNick.back() == ' ') shortNick.pop_back();
  add("*ShortNickName: \"" + shortNick + "\"");
  add("*NickName: \"" + modelName + ", Orvo " + (recipe.version.empty() ? std::string("1.0") : recipe.version) + "\"");
  add("*PSVersion: \"(3010.000) 0\"");
  for (int i = 0; i < recipe.linesBeforeMarker; ++i) add("*% Note " + std::to_string(i + 1) + ".");
  if (!recipe.version.empty()) add("*% Orvo version: " + recipe.version);
  add("*LanguageLevel: \"3\"");
  add("*ColorDevice: True");
  add("*DefaultColorSpace: CMYK");
  add("*FileSystem: False");
  add("*Throughput: \"30\"");
  add("*LandscapeOrientation: Plus90");
  add("*TTRasterizer: Type42");
  add("*cupsVersion: 2.4");
  add("*cupsLanguages: \"en\"");
  if (!recipe.filter.empty()) add("*cupsFilter: \"application/vnd.cups-postscript 0 " + recipe.filter + "\"");
  add("");

  // Job control: PJL wraps the job; its options live outside user-interface blocks.
  add("*JCLBegin: \"<1B>%-12345X@PJL JOB<0A>\"");
  add("*JCLToPSInterpreter: \"@PJL ENTER LANGUAGE = POSTSCRIPT<0A>\"");
  add("*JCLEnd: \"<1B>%-12345X@PJL EOJ<0A><1B>%-12345X\"");
  add("*JCLOpenUI *JCLEconomode/Toner Saver: PickOne");
  add("*OrderDependency: 10 JCLSetup *JCLEconomode");
  add("*DefaultJCLEconomode: " + defaultOf(recipe, "JCLEconomode", "Off"));
  add("*JCLEconomode Off/Off: \"@PJL SET ECONOMODE=OFF<0A>\"");
  add("*JCLEconomode On/On: \"@PJL SET ECONOMODE=ON<0A>\"");
  add("*JCLCloseUI: *JCLEconomode");
  add("");

  add("*OpenGroup: General/General");
  add("*OpenUI *PageSize/Media Size: PickOne");
  add("*OrderDependency: 10 AnySetup *PageSize");
  add("*DefaultPageSize: " + pageSize);
  for (const std::string& name : recipe.pageSizes) {
    const PageSizeInfo* size = findPageSize(name);
    add("*PageSize " + name + "/" + size->text + ": \"<</PageSize[" + std::to_string(size->width) + " " +
        std::to_string(size->height) + "]/ImagingBBox null>>setpagedevice\"");
  }
  if (recipe.longLine > 0) {
    std::string comment = "*% Media note: Default sizes follow the driver's table;";
    while (comment.size() < recipe.longLine) comment += " the *DefaultPageSize line names one of them;";
    comment.resize(recipe.longLine);
    add(comment);
  }
  add("*CloseUI: *PageSize");
  add("");
  add("*OpenUI *PageRegion/Media Size: PickOne");
  add("*OrderDependency: 10 AnySetup *PageRegion");
  add("*DefaultPageRegion: " + defaultOf(recipe, "PageRegion", pageSize));
  for (const std::string& name : recipe.pageSizes) {
    const PageSizeInfo* size = findPageSize(name);
    add("*PageRegion " + name + "/" + size->text + ": \"<</PageSize[" + std::to_string(size->width) + " " +
        std::to_string(size->height) + "]/ImagingBBox null>>setpagedevice\"");
  }
  add("*CloseUI: *PageRegion");
  add("");
  add("*DefaultImageableArea: " + defaultOf(recipe, "ImageableArea", pageSize));
  for (const std::string& name : recipe.pageSizes) {
    const PageSizeInfo* size = findPageSize(name);
    add("*ImageableArea " + name + "/" + size->text + ": \"12 12 " + std::to_string(size->width - 12) + " " +
        std::to_string(size->height - 12) + "\"");
  }
  add("*DefaultPaperDimension: " + defaultOf(recipe, "PaperDimension", pageSize));
  for (const std::string& name : recipe.pageSizes) {
    const PageSizeInfo* size = findPageSize(name);
    add("*PaperDimension " + name + "/" + size->text + ": \"" + std::to_string(size->width) + " " +
        std::to_string(size->height) + "\"");
  }
  add("");
  add("*OpenUI *Duplex/2-Sided Printing: PickOne");
  add("*OrderDependency: 20 AnySetup *Duplex");
  add("*DefaultDuplex: " + defaultOf(recipe, "Duplex", "None"));
  add("*Duplex None/Off: \"<</Duplex false>>setpagedevice\"");
  add("*Duplex DuplexNoTumble/Long-Edge Binding: \"<</Duplex true/Tumble false>>setpagedevice\"");
  add("*Duplex DuplexTumble/Short-Edge Binding: \"<</Duplex true/Tumble true>>setpagedevice\"");
  add("*CloseUI: *Duplex");
  add("");
  add("*OpenSubGroup: PaperHandling/Paper Handling");
  add("*OpenUI *InputSlot/Media Source: PickOne");
  add("*OrderDependency: 20 AnySetup *InputSlot");
  add("*DefaultInputSlot: " + defaultOf(recipe, "InputSlot", "Auto"));
  add("*InputSlot Auto/Default Tray: \"<</ManualFeed false/MediaPosition 0>>setpagedevice\"");
  add("*InputSlot Tray1/Tray 1: \"<</ManualFeed false/MediaPosition 1>>setpagedevice\"");
  add("*InputSlot Tray2/Tray 2: \"<</ManualFeed false/MediaPosition 2>>setpagedevice\"");
  add("*InputSlot Manual/Manual Feed: \"<</ManualFeed true/MediaPosition 3>>setpagedevice\"");
  add("*CloseUI: *InputSlot");
  add("*OpenUI *MediaType/Media Type: PickOne");
  add("*OrderDependency: 20 AnySetup *MediaType");
  add("*DefaultMediaType: " + defaultOf(recipe, "MediaType", "Plain"));
  add("*MediaType Plain/Plain Paper: \"<</MediaType(Plain)>>setpagedevice\"");
  add("*MediaType Transparency/Transparency: \"<</MediaType(Transparency)>>setpagedevice\"");
  add("*MediaType Labels/Labels: \"<</MediaType(Labels)>>setpagedevice\"");
  add("*MediaType Envelope/Envelope: \"<</MediaType(Envelope)>>setpagedevice\"");
  add("*CloseUI: *MediaType");
  add("*CloseSubGroup: PaperHandling");
  add("*CloseGroup: General");
  add("");

  add("*OpenGroup: Quality/Print Quality");
  add("*OpenUI *Resolution/Resolution: PickOne");
  add("*OrderDependency: 10 AnySetup *Resolution");
  const std::string defaultRes = recipe.resolutions.size() > 1 ? recipe.resolutions[1] : recipe.resolutions[0];
  add("*DefaultResolution: " + defaultOf(recipe, "Resolution", defaultRes));
  for (const std::string& res : recipe.resolutions) {
    int y = 0;
    int x = dpiOf(res, y);
    add("*Resolution " + res + "/" + std::to_string(x) + " DPI: \"<</HWResolution[" + std::to_string(x) + " " +
        std::to_string(y) + "]>>setpagedevice\"");
  }
  add("*CloseUI: *Resolution");
  add("");
  add("*OpenUI *ColorModel/Color Mode: PickOne");
  add("*OrderDependency: 10 AnySetup *ColorModel");
  add("*DefaultColorModel: " + defaultOf(recipe, "ColorModel", "CMYK"));
  add("*ColorModel CMYK/Color: \"<</ProcessColorModel/DeviceCMYK>>setpagedevice\"");
  add("*ColorModel Gray/Grayscale: \"<</ProcessColorModel/DeviceGray>>setpagedevice\"");
  add("*DefaultColorSep: ProcessBlack.60lpi.600dpi/60 lpi / 600 dpi");
  add("*CloseUI: *ColorModel");
  add("*CloseGroup: Quality");
  add("");

  if (recipe.constraints) {
    add("*UIConstraints: *Duplex *MediaType Transparency");
    add("*UIConstraints: *MediaType Transparency *Duplex");
    add("*UIConstraints: *Duplex *PageSize Env10");
    add("*UIConstraints: *PageSize Env10 *Duplex");
    add("*UIConstraints: *InputSlot Tray2 *MediaType Envelope");
    add("*UIConstraints: *MediaType Envelope *InputSlot Tray2");
    add("");
  }

  add("*% Halftone and separation defaults");
  add("*DefaultHalftoneType: 1");
  add("*ScreenFreq: \"60.0\"");
  add("*ScreenAngle: \"45.0\"");
  add("*DefaultColorSep: ProcessBlack.60lpi.600dpi/60 lpi / 600 dpi");
  add("*ColorSepScreenAngle ProcessBlack.60lpi.600dpi/60 lpi / 600 dpi: \"45\"");
  add("*ColorSepScreenFreq ProcessBlack.60lpi.600dpi/60 lpi / 600 dpi: \"60\"");
  add("");
  add("*% Resident fonts");
  add("*DefaultFont: Courier");
  add("*Font Courier: Standard \"(002.004S)\" Standard ROM");
  add("*Font Courier-Bold: Standard \"(002.004S)\" Standard ROM");
  add("*Font Helvetica: Standard \"(001.006S)\" Standard ROM");
  add("*Font Helvetica-Bold: Standard \"(001.007S)\" Standard ROM");
  add("*Font Times-Roman: Standard \"(001.007S)\" Standard ROM");
  add("*Font Symbol: Special \"(001.007S)\" Special ROM");
  add("*% End of " + modelName + " PPD");

  const char* end = recipe.crlf ? "\r\n" : "\n";
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    text += lines[i];
    if (i + 1 < lines.size() || recipe.finalNewline) text += end;
  }
  return text;
}

}  // namespace ppdwriter
