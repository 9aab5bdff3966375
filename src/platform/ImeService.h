#pragma once
// The input method as a window sees it: an input context per window, its
// open state (the back end's text input for that window) and the text being
// composed. The back end (SDL's text-editing events) or a test feeds the
// composition; readers get it as CP932 with byte positions. What this system
// does not tell (conversion modes, clauses) answers as unknown; a test puts a
// service of its own in place to answer them.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Messages.h"

namespace orrivel::platform {

class ImeService {
 public:
  virtual ~ImeService() = default;

  // A window's input context (0 when the window does not exist).
  uint32_t GetContext(WindowId window);
  void ReleaseContext(WindowId window, uint32_t context);

  bool SetOpenStatus(uint32_t context, bool open);
  virtual bool GetOpenStatus(uint32_t context);
  // Always false: conversion and sentence modes cannot be read here.
  virtual bool GetConversionStatus(uint32_t context, uint32_t* conversion, uint32_t* sentence);
  // The composition's clause table: the byte offset where each clause
  // starts, then the composition's length. Always false (and empty): the
  // window system does not tell how a composition is split.
  virtual bool GetCompositionClauses(uint32_t context, std::vector<uint32_t>& offsets);
  // Places the candidate list of the context's window at the point (client
  // coordinates). False without a context.
  bool SetCandidateWindow(uint32_t context, int32_t x, int32_t y);

  // The composition of a context: its CP932 text (empty when none), the
  // cursor and the first byte that changed with the last update. False
  // without a context.
  bool GetCompositionText(uint32_t context, std::string& text);
  int32_t GetCompositionCursor(uint32_t context);
  int32_t GetCompositionDeltaStart(uint32_t context);

  // A new composition for a window: UTF-8 text with the cursor counted in
  // characters. Empty text ends (or cancels) the composition.
  void SetComposition(WindowId window, std::string_view utf8, int32_t cursorChars);
  // Forgets every composition (tests).
  void Reset() { compositions_.clear(); }

 private:
  struct Composition {
    std::string text;  // CP932
    int32_t cursor = 0;
    int32_t deltaStart = 0;
  };
  const Composition* Find(uint32_t context) const;

  std::map<WindowId, Composition> compositions_;
};

// The input-method service of the process (the window system's unless
// replaced).
ImeService& Ime();
// Replaces the service; nullptr restores the window system's. Returns the
// old one.
ImeService* SetImeService(ImeService* service);

// Keeps a replacement service in place for a scope.
class ScopedImeService {
 public:
  explicit ScopedImeService(ImeService& service) : previous_(SetImeService(&service)) {}
  ~ScopedImeService() { SetImeService(previous_); }
  ScopedImeService(const ScopedImeService&) = delete;
  ScopedImeService& operator=(const ScopedImeService&) = delete;

 private:
  ImeService* previous_;
};

}  // namespace orrivel::platform
