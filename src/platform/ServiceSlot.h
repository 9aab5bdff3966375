#pragma once
// A process-wide service that tests (or a run) may replace: the slot keeps
// the installed one, and a scope installs one for its lifetime.
#include <mutex>

namespace orrivel::platform {

template <class Service>
class ServiceSlot {
 public:
  // Null when none is installed.
  Service* Installed() const {
    std::lock_guard hold(lock_);
    return installed_;
  }
  // Installs a service (not owned; null removes it); returns the previous.
  Service* Install(Service* service) {
    std::lock_guard hold(lock_);
    Service* previous = installed_;
    installed_ = service;
    return previous;
  }

 private:
  mutable std::mutex lock_;
  Service* installed_ = nullptr;
};

template <class Service, Service* (*Set)(Service*)>
class ScopedService {
 public:
  explicit ScopedService(Service& service) : previous_(Set(&service)) {}
  ~ScopedService() { Set(previous_); }
  ScopedService(const ScopedService&) = delete;
  ScopedService& operator=(const ScopedService&) = delete;

 private:
  Service* previous_;
};

}  // namespace orrivel::platform
