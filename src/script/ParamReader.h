#pragma once
// Reads parameters written as text: numbers, words and quoted strings
// separated by blanks, commas and parentheses. The text is CP932: a lead
// byte and the byte after it always travel together, except that the
// terminating zero is never taken as a trail byte.
//
// The reader keeps only a position in text that the caller owns and keeps
// alive; the text ends at a zero byte. With no text set, every reading
// operation answers 1.
#include <cstddef>
#include <cstdint>

namespace orrivel {

class ParamReader {
 public:
  // Results of the reading operations.
  static constexpr int kOk = 0;
  static constexpr int kNoText = 1;        // no text, at its end, or no buffer room at all
  static constexpr int kNotFound = 2;      // not a number, or no opening quote
  static constexpr int kBufferTooSmall = 3;
  static constexpr int kUnterminated = 4;  // the text ends inside a quoted string
  // Longest number ReadReal takes, in characters.
  static constexpr size_t kMaxRealText = 31;

  ParamReader() = default;
  explicit ParamReader(const char* text) : position_(text) {}
  virtual ~ParamReader() = default;

  void SetText(const char* text) { position_ = text; }
  const char* Position() const { return position_; }

  // Each skips its bytes and answers the byte it stops at (0 at the end of
  // the text or without text).
  int SkipSeparators();   // blanks, commas, "(" and ")"
  int SkipBlanksCommas();
  int SkipBlanks();
  int SkipWord();         // to the next zero byte or separator

  // Copies the word at the position (no skipping first) into buffer,
  // zero-terminated: a word of k bytes needs k + 2 bytes of buffer. A
  // position on a separator gives an empty word.
  int ReadWord(char* buffer, size_t size);
  // Skips separators and compares literal byte by byte: on a match the
  // position stays after it, otherwise it goes back to where the
  // comparison began.
  bool MatchKeyword(const char* literal);
  // A signed integer: decimal, "0x" hexadecimal or "0b" binary (lower-case
  // prefixes only), wrapping in 32 bits.
  int ReadInt(int32_t& out);
  // A signed decimal number: "-", digits, "." and digits; no exponent, no
  // "+". Longer than kMaxRealText characters: kNotFound.
  int ReadReal(double& out);
  // A string in double quotes: k bytes need k + 2 bytes of buffer, k + 4
  // when the quotes are kept. On failure the position does not move.
  int ReadQuoted(char* buffer, size_t size, bool keepQuotes);

 private:
  // Bytes of the character at p: 2 for a lead byte with a trail byte, else 1.
  static size_t CharBytes(const char* p);

  const char* position_ = nullptr;
};

}  // namespace orrivel
