#pragma once
// What the transition registry needs of the objects its factories make
// (named transitions and screen filters). A "*.TCP" plug-in builds its
// classes against this header: plug-ins are built with the engine's own
// compiler, so this class is the binary interface between them.
//
// Entry points of a "*.TCP" library (all extern "C"):
//   int32_t GetObjectNum();                     how many objects it offers
//   TcpObject* GetObject(int32_t index);        a new object, or null
//   const char* GetObjectName(int32_t index);   its registered name
//   uint8_t GetObjectType(int32_t index);       its type number
#include <cstdint>

#include "resource/SharedHolder.h"
#include "resource/plugin/ObjectArguments.h"

namespace orrivel {

class TcpObject : public SharedHolder {
 public:
  // Binds the new object to its target (the caller's first argument) and
  // the rest of the arguments; 0 on success. Any other answer makes the
  // registry release the object.
  virtual std::int32_t SetupV(const ObjectArgument& first, const ObjectArguments& rest) = 0;
};

using TcpGetObjectFunc = TcpObject* (*)(std::int32_t index);
using TcpGetObjectNumFunc = std::int32_t (*)();
using TcpGetObjectNameFunc = const char* (*)(std::int32_t index);
using TcpGetObjectTypeFunc = std::uint8_t (*)(std::int32_t index);
// Built-in entries only: run once at the first look-up, and at removal.
using TcpInitialiserFunc = void (*)();
using TcpReleaserFunc = void (*)();

}  // namespace orrivel
