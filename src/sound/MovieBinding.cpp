#include "sound/MovieBinding.h"

namespace orrivel {
namespace {

std::array<MovieBinding, 3> gBindings;

}  // namespace

const MovieBinding* CurrentMovieBinding(MovieLibraryId library) {
  const MovieBinding& binding = gBindings[size_t(library)];
  return binding.dll != nullptr ? &binding : nullptr;
}

void SetMovieBinding(MovieLibraryId library, MovieDll* dll, ArchiveManager* archives) {
  gBindings[size_t(library)] = dll != nullptr ? MovieBinding{dll, archives} : MovieBinding{};
}

bool MovieLibraries::BindOne(MovieLibraryId library, const MovieDllEntry& entry, ArchiveManager* archives,
                             const std::string& folder) {
  auto& record = records_[size_t(library)];
  SetMovieBinding(library, nullptr, nullptr);
  record.reset();
  const std::string path = folder.empty() ? MovieDll::PathBesideProgram(entry.fileName) : folder + entry.fileName;
  auto dll = std::make_unique<MovieDll>(path, entry.factoryName, entry.requiredVersion);
  if (!dll->IsLoaded() || dll->VersionEntry()() == 0) return false;
  record = std::move(dll);
  SetMovieBinding(library, record.get(), archives);
  return true;
}

int MovieLibraries::Bind(bool spriteMovies, ArchiveManager* archives, const std::string& folder) {
  Free();
  int bound = 0;
  if (spriteMovies) bound += BindOne(MovieLibraryId::kSprite, kWendleDll, archives, folder);
  else bound += BindOne(MovieLibraryId::kPrimary, kBellockDll, archives, folder);
  bound += BindOne(MovieLibraryId::kObject, kQuorraDll, archives, folder);
  return bound;
}

void MovieLibraries::Free() {
  for (size_t i = 0; i < records_.size(); ++i) {
    const auto library = MovieLibraryId(i);
    // Only the bindings this object made are withdrawn.
    if (const MovieBinding* b = CurrentMovieBinding(library); b != nullptr && b->dll == records_[i].get())
      SetMovieBinding(library, nullptr, nullptr);
    records_[i].reset();
  }
}

}  // namespace orrivel
