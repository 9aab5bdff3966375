// cfg build TEXT OUT   writes the settings file named by OUT from the text form
// cfg dump FILE        prints a settings file in the text form
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cfg/SettingsText.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: cfg build TEXT OUT   (OUT named VQ_APP.SYS, VQ_APP.INF, USER.CFG, APP_CFG.DAT or SET_UP.IFG)\n"
               "       cfg dump FILE\n");
  return 2;
}

bool ReadAll(const char* path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace orrivel::tools;
  if (argc < 3) return Usage();
  const std::string command = argv[1];
  SettingsFileKind kind;
  if (command == "build" && argc == 4) {
    if (!SettingsKindFromName(argv[3], &kind)) return Usage();
    std::string text, error;
    if (!ReadAll(argv[2], &text)) {
      std::fprintf(stderr, "cfg: cannot read %s\n", argv[2]);
      return 1;
    }
    std::vector<uint8_t> bytes;
    if (!BuildSettingsFile(kind, text, &bytes, &error)) {
      std::fprintf(stderr, "cfg: %s: %s\n", argv[2], error.c_str());
      return 1;
    }
    std::ofstream out(argv[3], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "cfg: cannot write %s\n", argv[3]);
      return 1;
    }
    return 0;
  }
  if (command == "dump" && argc == 3) {
    if (!SettingsKindFromName(argv[2], &kind)) return Usage();
    std::string data;
    if (!ReadAll(argv[2], &data)) {
      std::fprintf(stderr, "cfg: cannot read %s\n", argv[2]);
      return 1;
    }
    const std::string text = DumpSettingsFile(kind, std::vector<uint8_t>(data.begin(), data.end()));
    std::fputs(text.c_str(), stdout);
    return text.rfind("error:", 0) == 0 ? 1 : 0;
  }
  return Usage();
}
