#pragma once
// The frame's record of what the player has read: a ring of a fixed number
// of entries, each a text page with its speaker name and voice cue, a set
// of choices with the one taken, or a scene snapshot (the background and
// the visible sprites at the moment a voiced page was shown). The history
// screen reads it and the frame's save data stores a range of it.
//
// Every entry carries a serial that grows with each entry added. A choice
// entry is addressed by its serial, never by its place: the player takes a
// choice long after the entry was closed, and the ring may have dropped or
// moved the entry meanwhile (the settings screen can shrink the ring while
// a choice waits).
//
// Stored strings are cut on a character boundary so that their length
// byte in the saved form (length + 1, or + 2 for a choice text with its
// enabled byte) never passes 255.
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "resource/ByteCursor.h"
#include "script/ByteWriter.h"

namespace orrivel {

// A text page: the bytes as the page buffer held them.
struct HistoryTextRecord {
  std::string name;   // empty = none
  std::string voice;  // empty = none
  std::vector<uint8_t> text;
  // The height the page takes in the history window, plus 4.
  int32_t lineHeight = 0;
  // Consecutive pages with the same non-zero group form one block.
  uint8_t group = 0;
};

// One choice as stored: its text and whether it could be taken.
struct HistoryChoice {
  bool enabled = true;
  std::string text;
};

struct HistoryChoiceRecord {
  // The number of choices the entry was opened for.
  int32_t count = 0;
  // -1 until the player takes one.
  int32_t selected = -1;
  std::vector<HistoryChoice> choices;
};

// The background layer's placement and display state (eleven words).
struct SceneBackgroundState {
  uint32_t colour = 0;
  int32_t colourMode = 0;
  int32_t mirror = 0;
  int32_t flip = 0;
  int32_t cinemaBars = 0;
  int32_t pixelOpLevel = 0;
  int32_t x = 0;
  int32_t y = 0;
  int32_t tintClass = 0;
  float rotationScale = 0.0f;
  int32_t rotationAngle = 0;
};

// One visible sprite of a scene: its picture and where and how it was
// drawn (x, y and seven words).
struct SceneSpriteState {
  std::string name;
  int32_t x = 0;
  int32_t y = 0;
  int32_t colourMode = 0;
  int32_t mirror = 0;
  int32_t flip = 0;
  int32_t pixelOpLevel = 0;
  int32_t alpha = 255;
  float zoom = 0.0f;
  int32_t angle = 0;
};

struct HistorySceneRecord {
  std::string background;  // empty = none
  SceneBackgroundState state;
  std::vector<SceneSpriteState> items;
};

// What the frame hands over when it records a scene: the background and,
// per sprite slot, whether it shows a picture and its order.
struct SceneLayerSource {
  std::string name;
  SceneBackgroundState state;
};
struct SceneSlotSource {
  int32_t spriteId = -1;  // below 0: the slot is empty
  uint32_t order = 0;     // larger orders are drawn later
  int32_t baseX = 0;      // the slot position less these is the picture's
  int32_t baseY = 0;
  SceneSpriteState sprite;  // x and y hold the slot position
};

struct TextHistoryEntry {
  enum Kind : uint8_t { kText = 0, kChoices = 1, kScene = 2 };
  Kind kind = kText;
  uint32_t serial = 0;
  std::variant<HistoryTextRecord, HistoryChoiceRecord, HistorySceneRecord> record;

  const HistoryTextRecord* Text() const { return std::get_if<HistoryTextRecord>(&record); }
  const HistoryChoiceRecord* Choices() const { return std::get_if<HistoryChoiceRecord>(&record); }
  const HistorySceneRecord* Scene() const { return std::get_if<HistorySceneRecord>(&record); }
};

class TextHistoryBuffer {
 public:
  // Longest stored name, voice cue or scene picture name, and choice text.
  static constexpr size_t kMaxNameBytes = 254;
  static constexpr size_t kMaxChoiceBytes = 253;
  // Sprites kept per group of a scene: characters, then the two others.
  static constexpr size_t kCharacterItems = 5;
  static constexpr size_t kGroupItems = 3;
  // Load results beside 0 and 1.
  static constexpr int32_t kDamaged = 2;

  TextHistoryBuffer() = default;
  virtual ~TextHistoryBuffer() = default;
  TextHistoryBuffer(const TextHistoryBuffer&) = delete;
  TextHistoryBuffer& operator=(const TextHistoryBuffer&) = delete;

  // Keeps the newest min(count, n) entries, oldest first; n below 1 frees
  // everything. An open choice entry is closed. Always 0.
  int32_t SetCapacity(int32_t n);
  // Frees every entry; capacity and the serial counter stay.
  void Clear();
  // Frees every entry and the ring (capacity 0).
  void FreeAll();

  int32_t Capacity() const { return capacity_; }
  int32_t Count() const { return count_; }
  uint32_t NextSerial() const { return nextSerial_; }
  bool ChoiceOpen() const { return openChoice_ >= 0; }

  // 0; 1 without text; 2 without capacity. Empty names are kept as none.
  int32_t AddEntry(const uint8_t* text, uint32_t length, int32_t lineHeight, const char* name,
                   const char* voice, uint8_t group);
  // 0; 1 when n < 1; 2 without capacity; 3 when a choice entry is open.
  int32_t BeginChoices(int32_t n);
  // 0; 1 without text; 2 when no choice entry is open; 3 when it is full.
  int32_t AddChoice(const char* text, bool enabled);
  // 1 when nothing is open or no choice was added (the entry stays open);
  // else closes the entry, gives its serial and returns 0.
  int32_t EndChoices(uint32_t* serial);
  // Records the choice taken for the entry with that serial: 0; 1 when the
  // entry has left the ring or is not a choice entry.
  int32_t SetChoiceTaken(uint32_t serial, int32_t index);
  // 0; 1 without a background; 2 without capacity. The visible slots of
  // each group, largest order first, become the items: the third group
  // first, then the characters, then the second group.
  int32_t AddSceneEntry(const SceneLayerSource* background, std::span<const SceneSlotSource> characters,
                        std::span<const SceneSlotSource> second, std::span<const SceneSlotSource> third);

  // The entry i places after the oldest; null outside the ring.
  const TextHistoryEntry* GetEntry(int32_t i) const;
  // The entry with that serial, null when it has left the ring.
  const TextHistoryEntry* FindSerial(uint32_t serial) const;
  // Serials of the oldest and newest entries (both 0 when empty).
  uint32_t OldestSerial() const;
  uint32_t NewestSerial() const;

  // The saved form of the entries whose serials lie in [first, last]:
  // 0 without a ring, else the bytes Save writes.
  virtual uint64_t GetSaveSize(uint32_t first, uint32_t last) const;
  // 0; 1 without a buffer or a ring; 2 when the writer ran out of room.
  virtual int32_t Save(ByteWriter* writer, uint32_t first, uint32_t last) const;
  // Reads one saved history block: 0; 1 without a reader; 2 when the
  // block is damaged (a length or count past the data, an unknown kind),
  // which leaves the ring empty. Entries are restored only when restore is
  // set and there is capacity; otherwise the block is read past.
  virtual int32_t Load(ByteCursor* reader, bool restore);

 private:
  TextHistoryEntry& NewEntry();
  bool InRange(uint32_t serial, uint32_t first, uint32_t last) const;
  template <typename Visit>
  void ForEachSaved(uint32_t first, uint32_t last, Visit visit) const;
  TextHistoryEntry* Find(uint32_t serial);

  std::vector<std::unique_ptr<TextHistoryEntry>> entries_;
  int32_t capacity_ = 0;
  int32_t count_ = 0;
  int32_t head_ = 0;
  uint32_t nextSerial_ = 0;
  // The next choice to fill, -1 when no choice entry is open.
  int32_t openChoice_ = -1;
  uint32_t openSerial_ = 0;
};

// Cuts text (up to its first zero byte) to at most limit bytes without
// splitting a two-byte character.
std::string CutHistoryString(const char* text, size_t limit);

}  // namespace orrivel
