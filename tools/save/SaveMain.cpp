// save dump FILE [THUMB.png] [STATE.bin]
//   prints the header fields, the checksum check and the unpacked state's
//   sections (offset and size); writes the thumbnail as PNG and the
//   unpacked state when asked.
// save write OUT STATE.bin [--title T] [--comment C] [--thumb PNG] [--stored]
//   writes a save file around a state (packed unless --stored).
// save damage IN OUT KIND
//   writes a copy of a sound save with one kind of damage (see kDamages);
//   the header of the copy stays sound unless the kind is the header's.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "elg/PngFile.h"
#include "game/GameSaveState.h"
#include "game/SaveFile.h"

namespace {

using orrivel::SaveFileLayout;
using Bytes = std::vector<uint8_t>;

bool ReadFile(const std::string& path, Bytes& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
}

uint32_t U32At(const Bytes& b, size_t at) {
  return at + 4 <= b.size() ? uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
                                  uint32_t(b[at + 3]) << 24
                            : 0;
}

void PrintSection(const char* name, uint64_t at, uint64_t end) {
  std::printf("section %s at %llu size %llu\n", name, (unsigned long long)at, (unsigned long long)(end - at));
}

// The state's parts in blob order, each up to where the next begins.
void PrintSections(const Bytes& state) {
  orrivel::GameSaveStateLayout l;
  if (!orrivel::SplitGameSaveState(state, l)) {
    std::printf("sections not found\n");
    return;
  }
  PrintSection("variables", l.variables, l.historyFlag);
  PrintSection("history-flag", l.historyFlag, l.historyFlag + 1);
  if (l.withText) {
    PrintSection("text", l.textState, l.snapshot);
    PrintSection("snapshot", l.snapshot, l.withFrame ? l.frameBlock : l.end);
  }
  if (!l.withFrame) return;
  const orrivel::TgsFrameBlockLayout& f = l.frame;
  const uint64_t base = l.frameBlock;
  PrintSection("frame", base, l.end);
  PrintSection("frame.modules", base, base + f.records);
  PrintSection("frame.records", base + f.records, base + f.historyFlag);
  PrintSection("frame.history-flag", base + f.historyFlag, base + f.historyFlag + 1);
  PrintSection("frame.history", base + f.historyFlag + 1, base + f.loopSounds);
  PrintSection("frame.loop-sounds", base + f.loopSounds, base + f.caption);
  PrintSection("frame.caption", base + f.caption, base + f.tail);
  PrintSection("frame.tail", base + f.tail, base + f.end);
}

int Dump(int argc, char** argv) {
  Bytes file;
  if (!ReadFile(argv[2], file)) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 1;
  }
  std::printf("size %zu\nmagic %.4s\nversion %u\n", file.size(), file.size() >= 4 ? (const char*)file.data() : "",
              U32At(file, 4));
  orrivel::SaveFileInfo info;
  if (orrivel::ReadSaveFileInfo(file, info)) {
    std::printf("title \"%s\"\ncomment \"%s\"\nreserved %u\n", std::string(orrivel::BlockText(info.title)).c_str(),
                std::string(orrivel::BlockText(info.comment)).c_str(), info.reserved);
  }
  const uint32_t stored = U32At(file, SaveFileLayout::kStoredSizeOffset);
  std::printf("stored %u at %u\nunpacked %u\n", stored, SaveFileLayout::kStateOffset,
              U32At(file, SaveFileLayout::kUnpackedSizeOffset));
  if (file.size() > SaveFileLayout::kChecksumOffset) {
    uint8_t sum = 0;
    for (size_t i = SaveFileLayout::kStateOffset; i < file.size() && i < SaveFileLayout::kStateOffset + size_t(stored);
         ++i)
      sum = uint8_t(sum + file[i]);
    std::printf("checksum %u (%s)\n", file[SaveFileLayout::kChecksumOffset],
                sum == file[SaveFileLayout::kChecksumOffset] ? "ok" : "bad");
  }
  Bytes state;
  const int32_t code = orrivel::ParseSaveFile(file, state);
  std::printf("load %d\nstate %zu bytes\n", code, state.size());
  if (code == 0) PrintSections(state);
  if (argc > 3 && std::strcmp(argv[3], "-") != 0) {
    orrivel::tools::PngPicture png;
    png.width = SaveFileLayout::kThumbWidth;
    png.height = SaveFileLayout::kThumbHeight;
    for (size_t i = 0; i < info.thumbnail.size(); i += 3) {
      png.pixels.insert(png.pixels.end(), {info.thumbnail[i], info.thumbnail[i + 1], info.thumbnail[i + 2], 255});
    }
    std::string error;
    if (!orrivel::tools::WritePng(argv[3], png, &error)) std::fprintf(stderr, "%s\n", error.c_str());
  }
  if (argc > 4 && code == 0) WriteFile(argv[4], state);
  return code == 0 ? 0 : 2;
}

// One kind of damage: to the file's header fields, or to the state inside
// a file written anew with a sound header around it.
struct Damage {
  const char* name;
  bool (*apply)(Bytes& file, Bytes& state, const orrivel::GameSaveStateLayout& layout);
};

void PutU32(Bytes& b, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(value >> (8 * i));
}

const Damage kDamages[] = {
    // The header's own checks.
    {"state-cut", [](Bytes& file, Bytes&, const orrivel::GameSaveStateLayout&) {
       if (file.empty()) return false;
       file.resize(file.size() - 1);
       return true;
     }},
    {"checksum", [](Bytes& file, Bytes&, const orrivel::GameSaveStateLayout&) {
       file[SaveFileLayout::kChecksumOffset] ^= 0x5A;
       return true;
     }},
    {"unpacked-size", [](Bytes& file, Bytes&, const orrivel::GameSaveStateLayout&) {
       const uint32_t unpacked = U32At(file, SaveFileLayout::kUnpackedSizeOffset);
       if (unpacked == 0) return false;
       PutU32(file, SaveFileLayout::kUnpackedSizeOffset, unpacked + 64);
       return true;
     }},
    // The state, in a file whose header holds together.
    {"history-flag", [](Bytes&, Bytes& state, const orrivel::GameSaveStateLayout& l) {
       state[l.historyFlag] = 7;
       return true;
     }},
    {"bytes-after", [](Bytes&, Bytes& state, const orrivel::GameSaveStateLayout&) {
       state.insert(state.end(), {1, 2, 3});
       return true;
     }},
    {"text-cut", [](Bytes&, Bytes& state, const orrivel::GameSaveStateLayout& l) {
       if (!l.withText) return false;
       state.erase(state.begin() + long(l.snapshot) - 1);
       return true;
     }},
    {"snapshot-size", [](Bytes&, Bytes& state, const orrivel::GameSaveStateLayout& l) {
       if (!l.withText) return false;
       PutU32(state, l.snapshot, U32At(state, l.snapshot) + 1000);
       return true;
     }},
    {"frame-missing", [](Bytes&, Bytes& state, const orrivel::GameSaveStateLayout& l) {
       if (!l.withFrame) return false;
       state.resize(l.frameBlock);
       return true;
     }},
    {"frame-cut", [](Bytes&, Bytes& state, const orrivel::GameSaveStateLayout& l) {
       if (!l.withFrame) return false;
       state.resize(l.end - 5);
       return true;
     }},
    {"frame-history-flag", [](Bytes&, Bytes& state, const orrivel::GameSaveStateLayout& l) {
       if (!l.withFrame) return false;
       state[l.frameBlock + l.frame.historyFlag] = 2;
       return true;
     }},
    {"variable-retyped", [](Bytes&, Bytes& state, const orrivel::GameSaveStateLayout& l) {
       if (l.historyFlag < 2) return false;
       state[1] ^= 1;  // the first variable's kind byte
       return true;
     }},
};

int DamageSave(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[2], "--list") == 0) {
    for (const Damage& d : kDamages) std::printf("%s\n", d.name);
    return 0;
  }
  if (argc != 5) return 1;
  Bytes file, state;
  if (!ReadFile(argv[2], file) || orrivel::ParseSaveFile(file, state) != 0) {
    std::fprintf(stderr, "%s is not a sound save\n", argv[2]);
    return 1;
  }
  orrivel::GameSaveStateLayout layout;
  if (!orrivel::SplitGameSaveState(state, layout)) {
    std::fprintf(stderr, "the state of %s does not split into its sections\n", argv[2]);
    return 1;
  }
  for (const Damage& d : kDamages) {
    if (std::strcmp(d.name, argv[4]) != 0) continue;
    const Bytes sound = state;
    if (!d.apply(file, state, layout)) {
      std::fprintf(stderr, "%s cannot take damage %s\n", argv[2], d.name);
      return 1;
    }
    if (state != sound) {
      orrivel::SaveFileInfo info;
      orrivel::ReadSaveFileInfo(file, info);
      file = orrivel::BuildSaveFile(info, state, U32At(file, SaveFileLayout::kUnpackedSizeOffset) != 0);
    }
    return WriteFile(argv[3], file) ? 0 : 1;
  }
  std::fprintf(stderr, "unknown damage %s (save damage --list names them)\n", argv[4]);
  return 1;
}

int Write(int argc, char** argv) {
  Bytes state;
  if (!ReadFile(argv[3], state)) {
    std::fprintf(stderr, "cannot read %s\n", argv[3]);
    return 1;
  }
  orrivel::SaveFileInfo info;
  bool pack = true;
  for (int i = 4; i < argc; ++i) {
    const std::string option = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : "";
    if (option == "--stored") {
      pack = false;
    } else if (option == "--title") {
      info.title = orrivel::MakeSaveTitle(value), ++i;
    } else if (option == "--comment") {
      const std::string cut = orrivel::CutSaveComment(value);
      std::memcpy(info.comment.data(), cut.data(), cut.size()), ++i;
    } else if (option == "--thumb") {
      orrivel::tools::PngPicture png;
      std::string error;
      if (!orrivel::tools::ReadPng(value, &png, &error) || png.indexed || png.width != SaveFileLayout::kThumbWidth ||
          png.height != SaveFileLayout::kThumbHeight) {
        std::fprintf(stderr, "the thumbnail must be a 132 x 74 colour PNG\n");
        return 1;
      }
      for (size_t p = 0, o = 0; o < info.thumbnail.size(); p += 4, o += 3)
        std::memcpy(&info.thumbnail[o], &png.pixels[p], 3);
      ++i;
    } else {
      std::fprintf(stderr, "unknown option %s\n", option.c_str());
      return 1;
    }
  }
  return WriteFile(argv[2], orrivel::BuildSaveFile(info, state, pack)) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "dump") == 0) return Dump(argc, argv);
  if (argc >= 4 && std::strcmp(argv[1], "write") == 0) return Write(argc, argv);
  if (argc >= 3 && std::strcmp(argv[1], "damage") == 0 && DamageSave(argc, argv) == 0) return 0;
  std::fprintf(stderr,
               "usage: save dump FILE [THUMB.png|-] [STATE.bin]\n"
               "       save write OUT STATE.bin [--title T] [--comment C] [--thumb PNG] [--stored]\n"
               "       save damage IN OUT KIND | save damage --list\n");
  return 1;
}
