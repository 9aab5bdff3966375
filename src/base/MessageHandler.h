#pragma once
// A handler in a window's message map. Handle answers 0 when it consumed the
// message (the record's result is returned) and non-zero to let the message
// go on to the window's own handling and the system default.
#include "base/MessageRecord.h"

namespace orrivel {

class MessageHandler {
 public:
  virtual ~MessageHandler() = default;
  virtual int Handle(MessageRecord& record) = 0;
};

// Binds an object and one of its member operations; a virtual member reaches
// the most derived override.
template <class T>
class MemberMessageHandler final : public MessageHandler {
 public:
  using Member = int (T::*)(MessageRecord&);
  MemberMessageHandler(T* object, Member member) : object_(object), member_(member) {}
  int Handle(MessageRecord& record) override {
    if (!object_ || !member_) return 0;
    return (object_->*member_)(record);
  }

 private:
  T* object_;
  Member member_;
};

}  // namespace orrivel
