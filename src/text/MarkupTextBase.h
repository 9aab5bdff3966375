#pragma once
// One page of game text as a script hands it over: a name line and a body
// with inline markup, a list of item strings (choices), and a ring of
// earlier pages (the text history) that can be recalled.
//
// Text records come from script memory. A "%" + flag byte + 4-byte value
// inside a record inserts a string: the value is a 32-bit script address of
// the string (flag 0) or of a cell that holds the string's address (flag
// non-zero). Addresses are resolved through the script address space and
// must lie inside a live block; a stale or forged one refuses the record.
// Every page the object keeps is its own copy, so nothing points back into
// script memory once a record has been read.
//
// The body is CP932: a lead byte and its trail byte always travel together,
// and trail bytes include '[' (0x5B), '\\' (0x5C) and '@'.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orrivel {

class ByteWriter;
class ScriptAddressSpace;
class SobCursor;

// Token kinds of the markup tokenizer.
enum MarkupTokenKind : int {
  kTokenBad = -1,        // no text, a malformed tag or a damaged block
  kTokenCharacter = 0,   // one character (see MarkupToken::character)
  kTokenVariable = 1,    // "$" before a name; only the "$" is consumed
  kTokenStop = 2,        // "$&"
  kTokenLastStop = 3,    // "$" at the end of the text
  kTokenClearPage = 4,   // "&"
  kTokenEnd = 5,         // the end of the text
  kTokenQuoted = 6,      // <"text">
  kTokenTag = 7,         // <...>
  kTokenBlock = 8,       // "[" NUL, an inline command block
};

// A tag "<...>": its name (up to the first blank or "=") and the rest.
struct MarkupTag {
  std::string name;
  std::string arguments;
};

// One token as the scanner found it; positions are byte offsets in the text.
struct MarkupToken {
  int kind = kTokenBad;
  size_t start = 0;  // where the token begins
  size_t end = 0;    // where the next token begins
  // For a character: its bytes in the text. "<<" gives "<", "[" plus a
  // character gives that character, "@@" and "@" with digits stay whole.
  size_t character = 0;
  size_t characterLength = 0;
};

class MarkupTextBase {
 public:
  static constexpr int32_t kDefaultItemCapacity = 8;
  // Longest item text: its packed record (length byte, insertion byte, text,
  // NUL) must fit a one-byte length.
  static constexpr size_t kMaxItemLength = 252;
  static constexpr size_t kInsertionBytes = 6;  // "%", flag, 4-byte address
  // Inline command block: "[", NUL, four bytes, then its 16-bit length
  // counted from the "[".
  static constexpr size_t kBlockLengthOffset = 6;
  static constexpr size_t kMinBlockLength = 8;
  // Item record header: flag mode, flag base (u16), item limit, count.
  static constexpr size_t kItemHeaderBytes = 5;
  static constexpr uint8_t kNoItemFlags = 2;
  // Results of SetText and SetItems beside 0 and the refusals -1 and -2.
  static constexpr int kRecordRefused = 1;

  explicit MarkupTextBase(ScriptAddressSpace* space = nullptr);
  virtual ~MarkupTextBase();
  MarkupTextBase(const MarkupTextBase&) = delete;
  MarkupTextBase& operator=(const MarkupTextBase&) = delete;

  // --- operations a derived object binds ------------------------------------
  // Whether the page's read mark is set; the base keeps no marks.
  virtual bool IsPageRead(uint8_t markByte, uint16_t markNumber);
  virtual void MarkPageRead(uint8_t markByte, uint16_t markNumber);
  // The history ring as saved state: its size, then the writer and reader.
  // LoadState answers 0, or 1 for damaged state (the ring is then empty).
  virtual uint64_t GetStateSize() const;
  virtual int SaveState(ByteWriter& cursor) const;
  virtual int LoadState(SobCursor& cursor);
  // The byte count of the saved state at the cursor, read as LoadState
  // reads it without keeping anything; 0 when it does not hold together.
  static uint64_t MeasureState(SobCursor cursor);
  // Called when a recalled page becomes current; the base does nothing.
  virtual void ResetCursor() {}

  // --- tokenizer --------------------------------------------------------------
  // Reads the token at the read cursor and moves past it (a malformed token
  // leaves the cursor). Kinds 2-5 mark an unread page read.
  int NextToken();
  // The same from a byte position of the body (clamped to it).
  int NextTokenFrom(size_t position);
  // Runs over characters to the next token of another kind.
  int NextNonCharacterToken();
  // The token at pos of text (size bytes, a NUL after them); no side effects.
  static MarkupToken ScanToken(const char* text, size_t size, size_t pos, std::string* quoted = nullptr,
                               MarkupTag* tag = nullptr);
  const MarkupToken& LastToken() const { return lastToken_; }
  const std::string& QuotedString() const { return quoted_; }
  const MarkupTag& Tag() const { return tag_; }
  size_t BlockStart() const { return blockStart_; }

  // --- page -------------------------------------------------------------------
  // Reads a text record of size bytes: 0; -1 text disabled; 1 null, a
  // refused insertion or a block that runs past the record. A refused record
  // changes nothing. The new page then goes into the history.
  int SetText(const uint8_t* record, size_t size);
  // Frees the page, the items and the history.
  void Clear();
  bool HasText() const { return hasText_; }
  const std::string& Name() const { return name_; }
  const std::string& Body() const { return body_; }
  uint8_t TextMode() const { return textMode_; }
  size_t ReadCursor() const { return cursor_; }
  void SetReadCursor(size_t position) { cursor_ = position < body_.size() ? position : body_.size(); }
  // Changes with every page that becomes current (set, recalled or cleared).
  uint64_t PageSerial() const { return pageSerial_; }
  // The page's entry in the read-text flags; refreshes the page-read byte.
  void SetReadMark(uint8_t markByte, uint16_t markNumber);
  bool PageRead() const { return pageRead_ != 0; }
  bool textEnabled = true;

  // The n-th (from 1) backslash-separated part of the body, or with n 0 the
  // whole body, copied into buffer (cut to size, NUL-terminated; null only
  // measures). Its length + 1, or 0 when there is no such part.
  size_t GetComponent(int32_t n, char* buffer, size_t size) const;
  // The same over any text of the page's form (the name line, too).
  static size_t ComponentOf(const std::string& text, int32_t n, char* buffer, size_t size);

  // --- items ------------------------------------------------------------------
  // Reads an item record: 0; -1 not accepting items; -2 the newest history
  // page has its items already; 1 null or damaged record, a refused
  // insertion, or an item longer than kMaxItemLength (nothing changes).
  int SetItems(const uint8_t* record, size_t size);
  // 0; -1 not accepting; -2 newest page in use; 1 null text; 2 the list is
  // full; 3 longer than kMaxItemLength; 4 no memory.
  int AddItem(const char* text);
  // Drops the items; the flag mode goes back to kNoItemFlags.
  void ClearItems();
  const char* GetItem(int32_t n) const;
  // 0 copied; 1 out of range; 2 no list; 3 buffer too small.
  int CopyItem(int32_t n, char* buffer, size_t size) const;
  int32_t ItemCount() const { return int32_t(items_.size()); }
  int32_t ItemCapacity() const { return itemCapacity_; }
  uint8_t ItemFlagMode() const { return itemFlagMode_; }
  uint16_t ItemFlagBase() const { return itemFlagBase_; }
  uint8_t ItemLimit() const { return itemLimit_; }
  // The item flags then start at flag 0 with no item limit.
  void ClearItemFlagBase() { itemFlagBase_ = 0; itemLimit_ = 0; }
  // 0, or 1 for a negative capacity (nothing changes); else the items are
  // dropped.
  int SetItemCapacity(int32_t n);
  bool acceptingItems = true;

  // --- history ----------------------------------------------------------------
  // Stores the current page as the newest entry: 0; -1 history off or no ring.
  int PushHistory();
  // Packs the current items into the newest entry when it has none: 0;
  // 1 it has items already; -1 history off or empty.
  int StoreItemsInHistory();
  // 0, or 1 for a negative capacity; the history is cleared.
  int SetHistoryCapacity(int32_t n);
  // Entry n from the oldest becomes the current page: 0; 1 no such entry.
  int RecallHistory(int32_t n);
  int RecallFirst();
  int RecallLast();
  int RecallPrevious();
  int RecallNext();
  int RecallAt(int32_t n);
  int RecallRelative(int32_t delta);
  int32_t HistoryCount() const { return historyCount_; }
  int32_t HistoryCapacity() const { return int32_t(history_.size()); }
  int32_t RecallPosition() const { return recallPosition_; }
  bool historyEnabled = false;

 protected:
  struct HistoryEntry {
    std::string name;
    std::string body;
    std::vector<uint8_t> packedItems;
    uint32_t itemCount = 0;
    uint8_t textMode = 0;
    uint8_t itemFlagMode = kNoItemFlags;
    uint16_t itemFlagBase = 0;
    uint8_t itemLimit = 0;
    uint8_t readMarkByte = 0;
    uint16_t readMarkNumber = 0;
    bool inUse = false;  // the items are stored; item changes are refused
  };
  // An item: an owned copy, or a record of the packed list (at offset).
  struct Item {
    std::optional<std::string> owned;
    size_t offset = 0;
  };

  // Resolves one insertion value into text; false when refused.
  bool ResolveInsertion(uint8_t flag, uint32_t address, std::string& out) const;
  // Copies text of a record up to a NUL (or stopAtDollar's "$") with the
  // insertions resolved; advances pos. False when refused.
  bool CopyWithInsertions(const uint8_t* record, size_t size, size_t& pos, bool nameOnly, std::string& out) const;
  bool NewestEntryInUse() const;
  HistoryEntry* NewestEntry();
  int32_t SlotOf(int32_t n) const;
  // Checks a packed item list and finds its records' offsets.
  static bool WalkPackedItems(const std::vector<uint8_t>& packed, uint32_t count, std::vector<size_t>& offsets);
  void SetPage(std::string name, std::string body, uint8_t textMode);
  const char* ItemText(const Item& item) const;
  // The ring as SaveState writes it.
  std::vector<uint8_t> SavedHistory() const;
  // Reads saved state into entries and the recall position; false when
  // it does not hold together.
  static bool ParseState(SobCursor& cursor, std::vector<HistoryEntry>& entries, uint32_t& position);

  ScriptAddressSpace* space_;
  bool hasText_ = false;
  std::string name_;
  std::string body_;
  uint8_t textMode_ = 0;
  uint8_t pageRead_ = 0;
  uint8_t readMarkByte_ = 0;
  uint16_t readMarkNumber_ = 0;
  uint64_t pageSerial_ = 0;

  int32_t itemCapacity_ = kDefaultItemCapacity;
  std::vector<Item> items_;
  std::vector<uint8_t> packedItems_;
  uint8_t itemFlagMode_ = kNoItemFlags;
  uint16_t itemFlagBase_ = 0;
  uint8_t itemLimit_ = 0;

  std::vector<std::optional<HistoryEntry>> history_;
  int32_t historyHead_ = 0;
  int32_t historyCount_ = 0;
  int32_t recallPosition_ = 0;

  size_t cursor_ = 0;
  MarkupToken lastToken_;
  std::string quoted_;
  MarkupTag tag_;
  size_t blockStart_ = 0;
};

}  // namespace orrivel
