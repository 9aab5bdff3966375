#include "resource/PluginArchiveDecoder.h"

#include <new>
#include <string>

#include "resource/Paths.h"
#include "resource/plugin/AdlEntryPoints.h"

namespace orrivel {
namespace {

class PluginStream final : public Stream {
 public:
  PluginStream(PluginLibraryPtr library, Stream* stream) : library_(std::move(library)), stream_(stream) {}
  uint32_t GetSize() const override { return stream_->GetSize(); }
  uint32_t Tell() const override { return stream_->Tell(); }
  bool IsEof() const override { return stream_->IsEof(); }
  int SeekSet(uint32_t offset) override { return stream_->SeekSet(offset); }
  int SeekCurrent(int32_t offset) override { return stream_->SeekCurrent(offset); }
  int SeekEnd(uint32_t offset) override { return stream_->SeekEnd(offset); }
  uint32_t Read(void* buffer, uint32_t count) override { return stream_->Read(buffer, count); }
  void* GetBuffer(bool detach) override { return stream_->GetBuffer(detach); }

 private:
  PluginLibraryPtr library_;  // declared first: outlives the stream
  StreamPtr stream_;
};

class PluginArchive final : public Archive {
 public:
  PluginArchive(PluginLibraryPtr library, Archive* archive) : library_(std::move(library)), archive_(archive) {}
  uint32_t GetCount() const override { return archive_->GetCount(); }
  const std::vector<ArchiveListEntry>* GetEntryList() const override { return archive_->GetEntryList(); }
  bool HasMember(std::string_view name) const override { return archive_->HasMember(name); }
  const ArchiveEntryRecord* FindListEntry(std::string_view name) const override {
    return archive_->FindListEntry(name);
  }
  const ArchiveEntryRecord* GetListEntry(uint32_t index, std::string_view* name) const override {
    return archive_->GetListEntry(index, name);
  }
  int LoadMember(std::string_view name, BlockAlloc alloc, MemoryBlock* block, ProgressFunc progress,
                 void* user) const override {
    return archive_->LoadMember(name, alloc, block, progress, user);
  }
  int LoadMemberByIndex(uint32_t index, BlockAlloc alloc, MemoryBlock* block, ProgressFunc progress,
                        void* user) const override {
    return archive_->LoadMemberByIndex(index, alloc, block, progress, user);
  }
  int Reserved9() const override { return archive_->Reserved9(); }
  int Reserved10() const override { return archive_->Reserved10(); }
  Stream* OpenMemberStream(std::string_view name, int* code) const override {
    return Wrap(archive_->OpenMemberStream(name, code), code);
  }
  Stream* OpenMemberStreamByIndex(uint32_t index, int* code) const override {
    return Wrap(archive_->OpenMemberStreamByIndex(index, code), code);
  }
  int Reserved13() const override { return archive_->Reserved13(); }
  int Reserved14() const override { return archive_->Reserved14(); }

 private:
  Stream* Wrap(Stream* stream, int* code) const {
    if (!stream) return nullptr;
    auto* wrapped = new (std::nothrow) PluginStream(library_, stream);
    if (!wrapped) {
      stream->Release();
      if (code) *code = kFileNoMemory;
    }
    return wrapped;
  }

  PluginLibraryPtr library_;  // declared first: outlives the archive
  ArchivePtr archive_;
};

}  // namespace

PluginArchiveDecoder::PluginArchiveDecoder(PluginLibraryPtr library, ArchiveDecoder* decoder)
    : library_(std::move(library)), decoder_(decoder) {}

PluginArchiveDecoder::~PluginArchiveDecoder() { delete decoder_; }

Archive* PluginArchiveDecoder::Open(std::string_view path, platform::File& file, int* error) {
  Archive* archive = decoder_->Open(path, file, error);
  if (!archive) return nullptr;
  auto* wrapped = new (std::nothrow) PluginArchive(library_, archive);
  if (!wrapped) {
    archive->Release();
    if (error) *error = kFileNoMemory;
  }
  return wrapped;
}

int LoadAdlPlugin(std::string_view path, ArchiveDecoderRecord* record) {
  std::string full;
  if (MakeFullPath(full, path) == 0) return kAdlBadPath;
  try {
    PluginLibraryPtr library = OpenPluginLibrary(full);
    if (!library) return kAdlLoadFailed;
    const auto getType = PluginEntry<AdlGetTypeFunc>(*library, "GetAdlType");
    const auto getTypeString = PluginEntry<AdlGetTypeStringFunc>(*library, "GetAdlTypeString");
    const auto getExtensions = PluginEntry<AdlGetSupportExtFunc>(*library, "GetAdlSupportExt");
    const auto assist = PluginEntry<AdlAssistFunc>(*library, "AdlAssistFunc");
    const auto assist2 = PluginEntry<AdlAssistFunc2>(*library, "AdlAssistFunc2");
    const auto getDecoder = PluginEntry<AdlGetDecodeObjectFunc>(*library, "GetAdlDecodeObject");
    if (!getType || !getTypeString || !getExtensions || !assist || !assist2 || !getDecoder) {
      return kAdlMissingEntry;
    }
    ArchiveDecoderRecord made;
    made.type = getType();
    const char* typeString = getTypeString();
    made.typeString = typeString ? typeString : "";
    made.extensions = ReadExtensionList(getExtensions());
    ArchiveDecoder* decoder = getDecoder();
    if (!decoder) return kAdlNoDecoder;
    auto wrapped = std::unique_ptr<PluginArchiveDecoder>(new (std::nothrow) PluginArchiveDecoder(library, decoder));
    if (!wrapped) {
      delete decoder;
      return kAdlOtherFailure;
    }
    made.decoder = std::move(wrapped);
    made.module = library.get();
    made.assist = assist;
    made.assist2 = assist2;
    made.configDialog = PluginEntry<AdlConfigDlg>(*library, "AdlConfigDlg");
    *record = std::move(made);
  } catch (...) {
    return kAdlOtherFailure;
  }
  return kAdlOk;
}

}  // namespace orrivel
