#include "lpk/LpkWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "base/Cp932.h"
#include "platform/TextCodec.h"
#include "resource/LpkCipher.h"
#include "resource/LpkConstants.h"
#include "resource/LzssCoder.h"

namespace orrivel::tools {
namespace {

struct TrieNode {
  std::map<uint8_t, std::unique_ptr<TrieNode>> children;
  int64_t value = -1;  // member index for a name ending here
};

class TreeWriter {
 public:
  explicit TreeWriter(bool wide) : valueSize_(wide ? 4 : 2) {}

  bool Add(const std::string& name, uint32_t index) {
    TrieNode* node = &root_;
    for (const char c : name) {
      auto& child = node->children[uint8_t(c)];
      if (!child) child = std::make_unique<TrieNode>();
      node = child.get();
    }
    if (node->value >= 0) return false;
    node->value = index;
    return true;
  }

  bool Serialize(std::vector<uint8_t>* out, std::string* error) {
    return Write(root_, out, error);
  }

 private:
  size_t Entries(const TrieNode& node) const { return node.children.size() + (node.value >= 0 ? 1 : 0); }

  size_t SubtreeSize(const TrieNode& node) const {
    size_t size = 1 + Entries(node) * (1 + valueSize_);
    for (const auto& [key, child] : node.children) size += SubtreeSize(*child);
    return size;
  }

  void PutValue(std::vector<uint8_t>* out, uint32_t value) const {
    for (size_t i = 0; i < valueSize_; ++i) out->push_back(uint8_t(value >> (8 * i)));
  }

  // A node, then its children's subtrees in key order; a link is the
  // distance from the end of its entry to the child's node.
  bool Write(const TrieNode& node, std::vector<uint8_t>* out, std::string* error) {
    const size_t entries = Entries(node);
    if (entries > 255) {
      *error = "a tree node has more than 255 children";
      return false;
    }
    const size_t start = out->size();
    const size_t nodeSize = 1 + entries * (1 + valueSize_);
    out->push_back(uint8_t(entries));
    size_t childStart = start + nodeSize;
    size_t entryEnd = start + 1;
    const uint64_t limit = valueSize_ == 2 ? 0xFFFF : 0xFFFFFFFF;
    if (node.value >= 0) {
      if (uint64_t(node.value) > limit) {
        *error = "too many members for 16-bit tree values";
        return false;
      }
      out->push_back(0);
      PutValue(out, uint32_t(node.value));
      entryEnd += 1 + valueSize_;
    }
    for (const auto& [key, child] : node.children) {
      entryEnd += 1 + valueSize_;
      const uint64_t link = childStart - entryEnd;
      if (link > limit) {
        *error = "tree too large for 16-bit links";
        return false;
      }
      out->push_back(key);
      PutValue(out, uint32_t(link));
      childStart += SubtreeSize(*child);
    }
    for (const auto& [key, child] : node.children) {
      if (!Write(*child, out, error)) return false;
    }
    return true;
  }

  size_t valueSize_;
  TrieNode root_;
};

void Put32(std::vector<uint8_t>* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out->push_back(uint8_t(value >> (8 * i)));
}

}  // namespace

bool BuildLpk(std::string_view archiveFileName, const LpkWriterOptions& options,
              const std::vector<LpkWriterMember>& members, std::vector<uint8_t>* out, std::string* error) {
  std::string scratch;
  if (!error) error = &scratch;
  lpk::NameKey nameKey;
  if (!lpk::MakeNameKey(archiveFileName, &nameKey)) {
    *error = "the archive file name has no stem";
    return false;
  }
  const uint32_t head = options.commonHeadLength;
  if (head > 0 && members.empty()) {
    *error = "a common head needs members";
    return false;
  }
  if (head > 255) {
    *error = "the common head is at most 255 bytes";
    return false;
  }
  for (const LpkWriterMember& member : members) {
    if (member.data.size() < head ||
        (head && std::memcmp(member.data.data(), members[0].data.data(), head) != 0)) {
      *error = "member " + member.name + " does not start with the common head";
      return false;
    }
    if (member.data.size() > 0xFFFFFFFFu) {
      *error = "member " + member.name + " is too large";
      return false;
    }
  }
  const uint32_t flags = (options.unitOffsets ? lpk::kFlagUnitOffsets : 0) |
                         (options.nameTree ? lpk::kFlagNameTree : 0) |
                         (options.scrambledHeads ? lpk::kFlagScrambledHeads : 0) |
                         (options.secondSize ? lpk::kFlagSecondSize : 0) |
                         (options.reservedFlag4 ? lpk::kFlagReserved4 : 0);
  const uint32_t memberKey = lpk::MemberKey(nameKey, options.keyWord1);
  const uint32_t headerKey = lpk::HeaderKey(nameKey, options.keyWord2);

  // Member bodies as they go into the file, in the reverse of the reading
  // order: head words, then bytes, then LZSS.
  struct Body {
    std::vector<uint8_t> bytes;
    uint32_t storedSize;
    uint32_t fullSize;
    uint8_t flags;
  };
  std::vector<Body> bodies;
  for (const LpkWriterMember& member : members) {
    Body body;
    body.bytes.assign(member.data.begin() + head, member.data.end());
    body.fullSize = uint32_t(member.data.size());
    body.flags = member.scrambleBytes ? 1 : 0;
    if (options.scrambledHeads && body.bytes.size() >= 4) {
      lpk::ScrambleHeadWords(body.bytes.data(), std::min<size_t>(lpk::kMaxHeadWords, body.bytes.size() / 4),
                             memberKey);
    }
    if (member.scrambleBytes) {
      for (uint8_t& b : body.bytes) b = lpk::ScrambleByte(b);
    }
    body.storedSize = body.fullSize;
    if (member.pack && options.secondSize) {
      std::vector<uint8_t> packed;
      uint32_t packedSize = 0;
      if (LzssEncode(body.bytes.data(), uint32_t(body.bytes.size()), &packed, &packedSize, true) == kLzssOk) {
        body.bytes = std::move(packed);
        body.storedSize = packedSize;
      }
    }
    bodies.push_back(std::move(body));
  }

  std::vector<uint8_t> directory;
  Put32(&directory, uint32_t(members.size()));
  directory.push_back(uint8_t(head));
  if (head) directory.insert(directory.end(), members[0].data.begin(), members[0].data.begin() + head);
  if (options.nameTree) {
    TreeWriter tree(options.wideTree);
    for (size_t i = 0; i < members.size(); ++i) {
      if (members[i].name.empty() || !tree.Add(cp932::ToLower(members[i].name), uint32_t(i))) {
        *error = "empty or repeated member name: " + members[i].name;
        return false;
      }
    }
    std::vector<uint8_t> bytes;
    if (!tree.Serialize(&bytes, error)) return false;
    directory.push_back(options.wideTree ? 1 : 0);
    Put32(&directory, uint32_t(bytes.size()));
    directory.insert(directory.end(), bytes.begin(), bytes.end());
  }
  const size_t entriesAt = directory.size();
  const uint32_t entrySize = options.secondSize ? lpk::kEntrySizeWithSecond : lpk::kEntrySize;
  directory.resize(entriesAt + members.size() * entrySize);

  uint64_t directorySize = directory.size();
  uint32_t sizeField = uint32_t(directorySize);
  if (options.unitOffsets) {
    const uint64_t units = (directorySize + lpk::kHeaderSize + lpk::kUnit - 1) / lpk::kUnit;
    directorySize = units * lpk::kUnit - lpk::kHeaderSize;
    sizeField = uint32_t(units);
  }
  if (sizeField > lpk::kDirectorySizeMask) {
    *error = "the directory is too large";
    return false;
  }
  directory.resize(size_t(directorySize));

  out->assign(lpk::kHeaderSize + directory.size(), 0);
  uint64_t offset = out->size();
  for (size_t i = 0; i < bodies.size(); ++i) {
    if (options.unitOffsets) offset = (offset + lpk::kUnit - 1) / lpk::kUnit * lpk::kUnit;
    const uint64_t stored = options.unitOffsets ? offset / lpk::kUnit : offset;
    if (stored > 0xFFFFFFFFu) {
      *error = "the archive is too large";
      return false;
    }
    uint8_t* entry = directory.data() + entriesAt + i * entrySize;
    entry[0] = bodies[i].flags;
    lpk::WriteLe32(entry + 1, uint32_t(stored));
    lpk::WriteLe32(entry + 5, bodies[i].storedSize);
    if (options.secondSize) {
      lpk::WriteLe32(entry + 9, bodies[i].storedSize == bodies[i].fullSize ? 0 : bodies[i].fullSize);
    }
    out->resize(size_t(offset));
    out->insert(out->end(), bodies[i].bytes.begin(), bodies[i].bytes.end());
    offset = out->size();
  }
  lpk::ScrambleDirectory(directory.data(), directory.size(), headerKey);
  std::memcpy(out->data(), lpk::kMagic, 4);
  lpk::WriteLe32(out->data() + 4, (sizeField | flags << 24) ^ headerKey);
  std::memcpy(out->data() + lpk::kHeaderSize, directory.data(), directory.size());
  return true;
}

bool WriteLpkFile(const std::string& hostPath, const LpkWriterOptions& options,
                  const std::vector<LpkWriterMember>& members, std::string* error) {
  std::string scratch;
  if (!error) error = &scratch;
  const size_t slash = hostPath.find_last_of('/');
  // The key comes from the CP932 form of the name the engine will see.
  const std::string fileName =
      platform::Utf8ToCp932Lossy(slash == std::string::npos ? hostPath : hostPath.substr(slash + 1));
  std::vector<uint8_t> bytes;
  if (!BuildLpk(fileName, options, members, &bytes, error)) return false;
  const std::string temp = hostPath + ".tmp~";
  FILE* file = std::fopen(temp.c_str(), "wb");
  if (!file) {
    *error = "cannot create " + temp;
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed || std::rename(temp.c_str(), hostPath.c_str()) != 0) {
    std::remove(temp.c_str());
    *error = "cannot write " + hostPath;
    return false;
  }
  return true;
}

}  // namespace orrivel::tools
