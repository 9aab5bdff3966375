#include "platform/SharedLibrary.h"

#include <dirent.h>
#include <dlfcn.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace orrivel::platform {

namespace {

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Finds the file name in its folder ignoring ASCII letter case.
std::string FindCaseInsensitive(const std::string& path) {
  if (FileExists(path)) return path;
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  DIR* dir = ::opendir(folder.empty() ? "/" : folder.c_str());
  if (dir == nullptr) return {};
  std::string found;
  while (const dirent* entry = ::readdir(dir)) {
    if (::strcasecmp(entry->d_name, name.c_str()) == 0) {
      found = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + entry->d_name;
      if (FileExists(found)) break;
      found.clear();
    }
  }
  ::closedir(dir);
  return found;
}

}  // namespace

SharedLibrary::~SharedLibrary() { Close(); }

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), error_(std::move(other.error_)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, nullptr);
    error_ = std::move(other.error_);
  }
  return *this;
}

std::string SharedLibrary::MapLibraryName(std::string_view path) {
  std::string out(path);
  if (out.size() >= 4 && ::strcasecmp(out.c_str() + out.size() - 4, ".dll") == 0)
    out.replace(out.size() - 4, 4, ".so");
  return out;
}

std::string SharedLibrary::ProgramFolder() {
  char buffer[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "./";
  std::string exe(buffer, size_t(n));
  const size_t slash = exe.rfind('/');
  return slash == std::string::npos ? "./" : exe.substr(0, slash + 1);
}

bool SharedLibrary::Open(std::string_view path) {
  Close();
  error_.clear();
  const std::string file = FindCaseInsensitive(MapLibraryName(path));
  if (file.empty()) {
    error_ = "not found: " + MapLibraryName(path);
    return false;
  }
  // A bare name would make the loader search its own paths; keep it to the file.
  const std::string target = file.find('/') == std::string::npos ? "./" + file : file;
  handle_ = ::dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* why = ::dlerror();
    error_ = why != nullptr ? why : "load failed";
    return false;
  }
  return true;
}

void SharedLibrary::Close() {
  if (handle_ != nullptr) {
    ::dlclose(handle_);
    handle_ = nullptr;
  }
}

void* SharedLibrary::Symbol(const char* name) const {
  if (handle_ == nullptr) return nullptr;
  return ::dlsym(handle_, name);
}

}  // namespace orrivel::platform
