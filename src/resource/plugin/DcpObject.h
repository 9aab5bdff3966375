#pragma once
// What the layer-action registry needs of the objects its factories make
// (layer actions, overlay effects and their kin). A "*.DCP" plug-in builds
// its classes against this header: plug-ins are built with the engine's own
// compiler, so this class is the binary interface between them.
//
// Entry points of a "*.DCP" library (all extern "C"):
//   int32_t GetObjectNum();                     how many objects it offers
//   DcpObject* GetObject(int32_t index);        a new object, or null
//   const char* GetObjectName(int32_t index);   its registered name
//   uint8_t GetObjectType(int32_t index);       its type number
//   CallbackAssistFunc CallbackAssistFunc;      optional
//   CallbackAssistFunc2 CallbackAssistFunc2;    optional
#include <cstdint>

#include "resource/SharedHolder.h"
#include "resource/plugin/ObjectArguments.h"

namespace orrivel {

class DcpObject : public SharedHolder {
 public:
  // Binds the new object to the caller's arguments; 0 on success. Any other
  // answer makes the registry release the object.
  virtual std::int32_t SetupV(const ObjectArguments& arguments) = 0;
};

using DcpGetObjectFunc = DcpObject* (*)(std::int32_t index);
using DcpGetObjectNumFunc = std::int32_t (*)();
using DcpGetObjectNameFunc = const char* (*)(std::int32_t index);
using DcpGetObjectTypeFunc = std::uint8_t (*)(std::int32_t index);
// Class-level entries of an object kind, reached by its name. The first
// takes its arguments directly and forwards them to the second as a list.
using CallbackAssistFunc = std::int32_t (*)(std::intptr_t first, ...);
using CallbackAssistFunc2 = std::int32_t (*)(const ObjectArguments& arguments);

}  // namespace orrivel
