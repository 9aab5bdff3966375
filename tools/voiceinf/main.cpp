// voiceinf: writes the voice table "VOICEINF.DAT" from its text form.
//
//   voiceinf INPUT.txt OUTPUT.DAT
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "VoiceInfoWriter.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: voiceinf INPUT.txt OUTPUT.DAT\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "voiceinf: cannot read %s\n", argv[1]);
    return 2;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  orrivel::voiceinf::File file;
  std::string error;
  if (!orrivel::voiceinf::Parse(text, file, error)) {
    std::fprintf(stderr, "voiceinf: %s: %s\n", argv[1], error.c_str());
    return 2;
  }
  const orrivel::voiceinf::Bytes bytes = orrivel::voiceinf::Write(file);
  std::ofstream out(argv[2], std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "voiceinf: cannot write %s\n", argv[2]);
    return 2;
  }
  return 0;
}
