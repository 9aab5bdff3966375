#include "base/TrieLookup.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace orrivel {
namespace {

// Writes a name tree in the serialised form: each node's entry table, then
// its children in key order. Key 0 carries the value of the name ending there.
class TreeWriter {
 public:
  explicit TreeWriter(bool wide) : wide_(wide) {}
  void Add(const std::string& name, uint32_t value) {
    Node* node = &root_;
    for (unsigned char c : name) {
      auto& child = node->children[c];
      if (!child) child = std::make_unique<Node>();
      node = child.get();
    }
    node->hasValue = true;
    node->value = value;
  }
  std::vector<uint8_t> Write() const {
    std::vector<uint8_t> out;
    WriteNode(root_, out);
    return out;
  }

 private:
  struct Node {
    std::map<uint8_t, std::unique_ptr<Node>> children;
    bool hasValue = false;
    uint32_t value = 0;
  };

  void PutLink(std::vector<uint8_t>& out, size_t at, uint64_t link) const {
    const int bytes = wide_ ? 4 : 2;
    EXPECT_LT(link, uint64_t(1) << (8 * bytes)) << "tree too big for the narrow form";
    for (int i = 0; i < bytes; ++i) out[at + size_t(i)] = uint8_t(link >> (8 * i));
  }

  void WriteNode(const Node& node, std::vector<uint8_t>& out) const {
    const size_t entryBytes = wide_ ? 5 : 3;
    out.push_back(uint8_t(node.children.size() + (node.hasValue ? 1 : 0)));
    size_t entry = out.size();
    if (node.hasValue) {
      out.resize(out.size() + entryBytes);
      out[entry] = 0;
      PutLink(out, entry + 1, node.value);
      entry += entryBytes;
    }
    std::vector<std::pair<size_t, const Node*>> pending;
    for (const auto& [key, child] : node.children) {
      out.resize(out.size() + entryBytes);
      out[entry] = key;
      pending.emplace_back(entry, child.get());
      entry += entryBytes;
    }
    for (const auto& [at, child] : pending) {
      PutLink(out, at + 1, out.size() - (at + entryBytes));
      WriteNode(*child, out);
    }
  }

  bool wide_;
  Node root_;
};

int64_t Lookup(const std::vector<uint8_t>& tree, bool wide, const char* name, int32_t caseMode = 0) {
  return TrieLookup(std::span<const uint8_t>(tree.data(), tree.size()), wide, name, caseMode);
}

const std::pair<const char*, uint32_t> kNames[] = {
    {"A.BMP", 1}, {"AB", 2}, {"ABC.ELG", 3}, {"B", 4}, {"\x83\x61X.BIN", 5}, {"", 6}, {"Z", 0},
};

TEST(TrieLookup, FindsStoredNamesInBothWidths) {
  for (bool wide : {false, true}) {
    SCOPED_TRACE(wide);
    TreeWriter writer(wide);
    for (const auto& [name, value] : kNames) writer.Add(name, value);
    writer.Add("WIDE", wide ? 0xFFFFFFFFu : 0xFFFFu);
    const std::vector<uint8_t> tree = writer.Write();
    for (const auto& [name, value] : kNames) EXPECT_EQ(Lookup(tree, wide, name), int64_t(value)) << name;
    // Values are zero-extended, never confused with "not found".
    EXPECT_EQ(Lookup(tree, wide, "WIDE"), wide ? int64_t(0xFFFFFFFFu) : int64_t(0xFFFF));
    // "ABC" is a prefix of a stored name but not stored; "A" neither.
    for (const char* missing : {"ABC", "A", "ABC.ELGX", "C", "a.bmp"}) EXPECT_EQ(Lookup(tree, wide, missing), -1) << missing;
  }
}

TEST(TrieLookup, CaseModesFoldOnlySingleByteLetters) {
  TreeWriter upper(false), lower(false);
  for (const auto& [name, value] : kNames) {
    upper.Add(name, value);
    std::string folded = name;
    for (size_t i = 0; i < folded.size(); ++i) {
      if (uint8_t(folded[i]) == 0x83) {
        ++i;  // trail byte stays as it is
      } else if (folded[i] >= 'A' && folded[i] <= 'Z') {
        folded[i] = char(folded[i] - 'A' + 'a');
      }
    }
    lower.Add(folded, value);
  }
  const std::vector<uint8_t> upperTree = upper.Write();
  const std::vector<uint8_t> lowerTree = lower.Write();
  struct Case {
    const char* name;
    int32_t caseMode;
    const std::vector<uint8_t>* tree;
    int64_t expected;
  };
  const Case cases[] = {
      {"abc.elg", 1, &upperTree, 3},         {"abc.elg", 0, &upperTree, -1},
      {"AbC.eLg", 2, &lowerTree, 3},         {"AbC.eLg", -1, &lowerTree, 3},
      {"\x83\x61x.bin", 1, &upperTree, 5},   // the trail byte 'a' is not upper-cased
      {"\x83\x41X.BIN", 2, &lowerTree, -1},  // nor is 'A' lower-cased
  };
  for (const Case& c : cases) EXPECT_EQ(Lookup(*c.tree, false, c.name, c.caseMode), c.expected) << c.name << " " << c.caseMode;
}

TEST(TrieLookup, CorruptTreesAreRefusedWithoutReadingOutside) {
  for (bool wide : {false, true}) {
    SCOPED_TRACE(wide);
    TreeWriter writer(wide);
    for (const auto& [name, value] : kNames) writer.Add(name, value);
    const std::vector<uint8_t> tree = writer.Write();

    // Every truncation: each look-up finds its value or -1, and reads only
    // inside the (exactly sized) copy.
    for (size_t size = 0; size < tree.size(); ++size) {
      const std::vector<uint8_t> cut(tree.begin(), tree.begin() + std::ptrdiff_t(size));
      for (const auto& [name, value] : kNames) {
        const int64_t result = Lookup(cut, wide, name);
        ASSERT_TRUE(result == -1 || result == int64_t(value)) << size << " " << name;
      }
      // The writer puts the subtree of the highest key byte last.
      EXPECT_EQ(Lookup(cut, wide, "\x83\x61X.BIN"), -1) << size;
    }
    // Every byte replaced by a large value: links and counts point anywhere.
    for (size_t at = 0; at < tree.size(); ++at) {
      for (uint8_t bad : {uint8_t(0xFF), uint8_t(0x80), uint8_t(0x00)}) {
        std::vector<uint8_t> broken = tree;
        broken[at] = bad;
        for (const auto& [name, value] : kNames) (void)Lookup(broken, wide, name);
      }
    }
  }
  // A root whose child count runs past the end, and a link past the end.
  const std::vector<uint8_t> tooMany = {3, 'A', 0, 0};
  EXPECT_EQ(Lookup(tooMany, false, "A"), -1);
  const std::vector<uint8_t> farLink = {1, 'A', 0xFF, 0x7F, 1, 0, 9, 0};
  EXPECT_EQ(Lookup(farLink, false, "A"), -1);
  const std::vector<uint8_t> good = {1, 'A', 0, 0, 1, 0, 9, 0};
  EXPECT_EQ(Lookup(good, false, "A"), 9);
}

TEST(TrieLookup, NullInputsAndOverlongNamesAreRefused) {
  TreeWriter writer(false);
  const std::string longest(255, '7');  // digits: unchanged by either fold
  writer.Add(longest, 7);
  writer.Add(longest + "7", 8);  // stored, but a 256-byte name is never looked up
  const std::vector<uint8_t> tree = writer.Write();
  for (int32_t caseMode : {0, 1, 2}) {
    EXPECT_EQ(Lookup(tree, false, longest.c_str(), caseMode), 7);
    EXPECT_EQ(Lookup(tree, false, (longest + "7").c_str(), caseMode), -1);
    EXPECT_EQ(Lookup(tree, false, std::string(1000, '7').c_str(), caseMode), -1);
  }
  EXPECT_EQ(Lookup(tree, false, nullptr), -1);
  EXPECT_EQ(TrieLookup({}, false, "N", 0), -1);
}

}  // namespace
}  // namespace orrivel
