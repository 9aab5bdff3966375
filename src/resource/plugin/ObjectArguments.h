#pragma once
// The arguments a caller hands to a named object's set-up, control and
// query, and to the registries' assist callbacks.
//
// Every argument says what it is. An engine caller (the text-adventure
// frame, the game's screens) gives numbers, texts, engine objects of named
// classes and outputs (an int or a float the object may write). A script
// gives raw 32-bit cells, whose meaning only the reader knows; the list then
// carries the script side (ScriptArgumentSource), and each reading goes
// through it: a number stays the cell, a text is read from the script
// address space with its bounds checks, an object is found by its handle,
// an output is written through the address space. No reading turns a value
// into a machine address, and a reader that asks for something the argument
// is not (a text of a number, a sprite of a layer) gets nothing, never a
// foreign object.
//
// The list carries its length, so a reader past the end gets the fallback.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <type_traits>

namespace orrivel {

class BackgroundLayer;
class CanvasDrawObject;
class Drawable;
class Image;
class LadAnimation;
class LayerHost;
class LayerObject;
class TimerList;
class TransitionTarget;

// The engine classes an argument can name. A reader asks for exactly one of
// them; a caller gives the object as that class.
enum class ArgumentClass : std::uint8_t {
  kNone,
  kTimerList,
  kBackgroundLayer,
  kLayerObject,
  kLayerHost,
  kCanvas,
  kDrawable,
  kImage,
  kAnimation,
  kTransitionTarget,
};

template <class T>
struct ArgumentClassOf;
template <>
struct ArgumentClassOf<TimerList> : std::integral_constant<ArgumentClass, ArgumentClass::kTimerList> {};
template <>
struct ArgumentClassOf<BackgroundLayer> : std::integral_constant<ArgumentClass, ArgumentClass::kBackgroundLayer> {};
template <>
struct ArgumentClassOf<LayerObject> : std::integral_constant<ArgumentClass, ArgumentClass::kLayerObject> {};
template <>
struct ArgumentClassOf<LayerHost> : std::integral_constant<ArgumentClass, ArgumentClass::kLayerHost> {};
template <>
struct ArgumentClassOf<CanvasDrawObject> : std::integral_constant<ArgumentClass, ArgumentClass::kCanvas> {};
template <>
struct ArgumentClassOf<Drawable> : std::integral_constant<ArgumentClass, ArgumentClass::kDrawable> {};
template <>
struct ArgumentClassOf<Image> : std::integral_constant<ArgumentClass, ArgumentClass::kImage> {};
template <>
struct ArgumentClassOf<LadAnimation> : std::integral_constant<ArgumentClass, ArgumentClass::kAnimation> {};
template <>
struct ArgumentClassOf<TransitionTarget> : std::integral_constant<ArgumentClass, ArgumentClass::kTransitionTarget> {};

// The script side of an argument list made of script cells. Its answers
// are checked: a bad address makes the script's call fail (the script
// error), a handle that names nothing of the class asked for gives null.
class ScriptArgumentSource {
 public:
  // The zero-terminated text at a script address; nullopt for a bad one.
  virtual std::optional<std::string> ReadText(std::uint32_t address) = 0;
  // The object of the class that a script handle names; null when none.
  // The pointer is the class's own (void only to cross this interface).
  virtual void* FindObject(std::uint32_t handle, ArgumentClass wanted) = 0;
  // Writes one 32-bit value at a script address; false for a bad one.
  virtual bool Store(std::uint32_t address, std::uint32_t value) = 0;

 protected:
  ~ScriptArgumentSource() = default;
};

class ObjectArgument {
 public:
  enum class Kind : std::uint8_t { kNumber, kText, kObject, kIntOutput, kFloatOutput, kScriptCell };

  // Numbers (any integer type; the low 32 bits are the cell) and null.
  constexpr ObjectArgument() = default;
  template <class I>
    requires std::is_integral_v<I> || std::is_enum_v<I>
  constexpr ObjectArgument(I value) : cell_(std::int32_t(value)) {}
  constexpr ObjectArgument(std::nullptr_t) {}
  // A text the caller keeps alive for the call; null is no text.
  constexpr ObjectArgument(const char* text) : kind_(text ? Kind::kText : Kind::kNumber), pointer_(text) {}
  // Outputs; null is none.
  constexpr ObjectArgument(std::int32_t* out) : kind_(out ? Kind::kIntOutput : Kind::kNumber), pointer_(out) {}
  constexpr ObjectArgument(float* out) : kind_(out ? Kind::kFloatOutput : Kind::kNumber), pointer_(out) {}
  // An engine object, as every class of ArgumentClass that it is (an object
  // of two such classes answers for both).
  template <class T>
    requires std::is_class_v<T>
  ObjectArgument(T* object) {
    if (object == nullptr) return;
    Add<TimerList>(object, ArgumentClass::kTimerList);
    Add<BackgroundLayer>(object, ArgumentClass::kBackgroundLayer);
    Add<LayerObject>(object, ArgumentClass::kLayerObject);
    Add<LayerHost>(object, ArgumentClass::kLayerHost);
    Add<CanvasDrawObject>(object, ArgumentClass::kCanvas);
    Add<Drawable>(object, ArgumentClass::kDrawable);
    Add<Image>(object, ArgumentClass::kImage);
    Add<LadAnimation>(object, ArgumentClass::kAnimation);
    Add<TransitionTarget>(object, ArgumentClass::kTransitionTarget);
    if (views_ > 0) kind_ = Kind::kObject;
  }
  template <class T>
    requires std::is_class_v<T>
  ObjectArgument(const T* object) : ObjectArgument(const_cast<T*>(object)) {}
  // A raw script cell, read through the list's script side.
  static constexpr ObjectArgument ScriptCell(std::uint32_t cell) {
    ObjectArgument argument;
    argument.kind_ = Kind::kScriptCell;
    argument.cell_ = std::int32_t(cell);
    return argument;
  }

  Kind GetKind() const { return kind_; }
  // The number (or the script cell); 0 for every other kind.
  std::int32_t Number() const { return kind_ == Kind::kNumber || kind_ == Kind::kScriptCell ? cell_ : 0; }
  // True for anything but a number 0.
  bool Given() const { return kind_ != Kind::kNumber || cell_ != 0; }

  std::optional<std::string> Text(ScriptArgumentSource* source) const {
    if (kind_ == Kind::kText) return std::string(static_cast<const char*>(pointer_));
    if (kind_ == Kind::kScriptCell && cell_ != 0 && source != nullptr) return source->ReadText(std::uint32_t(cell_));
    return std::nullopt;
  }
  template <class T>
  T* Object(ScriptArgumentSource* source = nullptr) const {
    constexpr ArgumentClass wanted = ArgumentClassOf<std::remove_const_t<T>>::value;
    if (kind_ == Kind::kObject) {
      for (std::size_t i = 0; i < views_; ++i)
        if (classes_[i] == wanted) return static_cast<T*>(objects_[i]);
      return nullptr;
    }
    if (kind_ == Kind::kScriptCell && cell_ != 0 && source != nullptr)
      return static_cast<T*>(source->FindObject(std::uint32_t(cell_), wanted));
    return nullptr;
  }
  // Writes an output; false when the argument is none (or of the other
  // type, or a bad script address).
  bool WriteInt(std::int32_t value, ScriptArgumentSource* source) const {
    if (kind_ == Kind::kIntOutput) {
      *static_cast<std::int32_t*>(const_cast<void*>(pointer_)) = value;
      return true;
    }
    return WriteScriptCell(std::uint32_t(value), source);
  }
  bool WriteFloat(float value, ScriptArgumentSource* source) const {
    if (kind_ == Kind::kFloatOutput) {
      *static_cast<float*>(const_cast<void*>(pointer_)) = value;
      return true;
    }
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return WriteScriptCell(bits, source);
  }

 private:
  static constexpr std::size_t kMaxViews = 3;
  // Records the object as class C when it is one.
  template <class C, class T>
  void Add(T* object, ArgumentClass objectClass) {
    if constexpr (std::is_convertible_v<T*, C*>) {
      static_assert(kMaxViews > 0);
      if (views_ < kMaxViews) {
        classes_[views_] = objectClass;
        objects_[views_] = static_cast<C*>(object);
        ++views_;
      }
    }
  }
  bool WriteScriptCell(std::uint32_t value, ScriptArgumentSource* source) const {
    if (kind_ != Kind::kScriptCell || cell_ == 0 || source == nullptr) return false;
    return source->Store(std::uint32_t(cell_), value);
  }

  Kind kind_ = Kind::kNumber;
  std::int32_t cell_ = 0;
  const void* pointer_ = nullptr;
  // An object's views, one for each class it is.
  std::uint8_t views_ = 0;
  ArgumentClass classes_[kMaxViews] = {};
  void* objects_[kMaxViews] = {};
};

struct ObjectArguments {
  const ObjectArgument* values = nullptr;
  std::size_t count = 0;
  // Set when the values are script cells.
  ScriptArgumentSource* source = nullptr;

  const ObjectArgument& At(std::size_t index) const {
    static constexpr ObjectArgument kAbsent;
    return index < count && values ? values[index] : kAbsent;
  }
  bool Has(std::size_t index) const { return index < count && values != nullptr; }
  // The argument as a number; fallback when absent, 0 when it is no number.
  std::int32_t Cell(std::size_t index, std::int32_t fallback = 0) const {
    return Has(index) ? values[index].Number() : fallback;
  }
  // True when the argument is present and not the number 0.
  bool Given(std::size_t index) const { return At(index).Given(); }
  // The argument as a text; nullopt for none, for a number and for a bad
  // script address.
  std::optional<std::string> Text(std::size_t index) const { return At(index).Text(source); }
  // The argument as an object of class T; null when it is not one.
  template <typename T>
  T* Object(std::size_t index) const {
    return At(index).template Object<T>(source);
  }
  // Writes an output argument; false when there is none to write.
  bool WriteInt(std::size_t index, std::int32_t value) const { return At(index).WriteInt(value, source); }
  bool WriteFloat(std::size_t index, float value) const { return At(index).WriteFloat(value, source); }
  // A double passed as two cells, the low word at index and the high word
  // after it; an absent cell reads as 0.
  double Double(std::size_t lowIndex) const {
    const std::uint64_t bits = std::uint64_t(std::uint32_t(Cell(lowIndex))) |
                               std::uint64_t(std::uint32_t(Cell(lowIndex + 1))) << 32;
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  // The list without its first `skip` values, on the same script side.
  ObjectArguments Rest(std::size_t skip) const {
    if (skip >= count) return ObjectArguments{nullptr, 0, source};
    return ObjectArguments{values + skip, count - skip, source};
  }
};

// A text argument as the C string the parsers take: null when absent. The
// holder must outlive the use of the pointer.
inline const char* TextOrNull(const std::optional<std::string>& text) { return text ? text->c_str() : nullptr; }

}  // namespace orrivel
