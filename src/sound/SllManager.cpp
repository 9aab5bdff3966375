#include "sound/SllManager.h"

#include <algorithm>
#include <atomic>
#include <new>

#include "base/Cp932.h"
#include "resource/Paths.h"
#include "sound/PluginSoundDecoder.h"

namespace orrivel {
namespace {

std::atomic<SllManager*> g_sllManager{nullptr};

}  // namespace

SllManager* GetSllManager() { return g_sllManager.load(std::memory_order_acquire); }
SllManager* SetSllManager(SllManager* manager) { return g_sllManager.exchange(manager); }

SllManager::~SllManager() { UnloadAll(); }

void SllManager::RemoveRecord(size_t index) {
  SllRecord& record = records_[index];
  // The codec's code lives in the library: it goes first.
  delete record.codec;
  record.codec = nullptr;
  records_.erase(records_.begin() + std::ptrdiff_t(index));
}

void SllManager::Unload(uint32_t type) {
  for (size_t i = records_.size(); i-- > 0;) {
    if (records_[i].type == type) RemoveRecord(i);
  }
}

void SllManager::UnloadAll() {
  while (!records_.empty()) RemoveRecord(records_.size() - 1);
}

int32_t SllManager::RegisterBuiltIn(SoundCodec* codec, const char* extensionList, const char* typeString,
                                    uint32_t type, SllProc assist, SllProc assist2, SllProc configDialog) {
  if (!codec) return 1;
  SllRecord record;
  record.type = type;
  record.typeString = typeString ? typeString : "";
  record.extensions = ReadExtensionList(extensionList, false);
  record.codec = codec;
  record.assist = assist;
  record.assist2 = assist2;
  record.configDialog = configDialog;
  records_.push_back(std::move(record));
  return 0;
}

int32_t SllManager::LoadOne(std::string_view fileName) {
  std::string full;
  if (MakeFullPath(full, fileName) == 0) return kSllLoadBadPath;
  SllRecord record;
  try {
    record.library = OpenPluginLibrary(full);
    if (!record.library) return kSllLoadNoLibrary;
    const platform::SharedLibrary& library = *record.library;
    const auto getType = PluginEntry<SllGetTypeFunc>(library, "GetSllType");
    const auto getTypeString = PluginEntry<SllGetTypeStringFunc>(library, "GetSllTypeString");
    const auto getExtensions = PluginEntry<SllGetSupportExtFunc>(library, "GetSllSupportExt");
    record.assist = PluginEntry<SllProc>(library, "SllAssistFunc");
    record.assist2 = PluginEntry<SllProc>(library, "SllAssistFunc2");
    const auto getCodec = PluginEntry<SllGetDecodeObjectFunc>(library, "GetSllDecodeObject");
    record.configDialog = PluginEntry<SllProc>(library, "SllConfigDlg");
    if (!getType || !getTypeString || !getExtensions || !record.assist || !record.assist2 || !getCodec) {
      return kSllLoadMissingEntry;
    }
    record.type = getType();
    const char* typeString = getTypeString();
    const char* extensions = getExtensions();
    record.codec = getCodec();
    if (!record.codec) return kSllLoadNoCodec;
    // A library that names no type or lists no extensions is unusable.
    if (!typeString || !extensions || !*extensions) throw kSllLoadFailed;
    record.typeString = typeString;
    record.extensions = ReadExtensionList(extensions, false);
    records_.push_back(std::move(record));
    return kSllLoadOk;
  } catch (...) {
    delete record.codec;
    return kSllLoadFailed;
  }
}

int32_t SllManager::LoadPlugins(std::string_view folder) {
  return ScanPluginFolder(folder, "*.SLL", [this](const std::string& path) { return LoadOne(path); });
}

SoundCodec* SllManager::FindByExtension(std::string_view fileName) {
  const std::string extension = cp932::ToUpper(GetFileExtension(fileName));
  for (const SllRecord& record : records_) {
    if (std::find(record.extensions.begin(), record.extensions.end(), extension) != record.extensions.end()) {
      return record.codec;
    }
  }
  return nullptr;
}

SoundCodec* SllManager::FindCodecByType(uint32_t type) {
  for (const SllRecord& record : records_) {
    if (record.type == type) return record.codec;
  }
  return nullptr;
}

SllProc SllManager::FindAssistFunc2(uint32_t type) const {
  for (const SllRecord& record : records_) {
    if (record.type == type) return record.assist2;
  }
  return nullptr;
}

std::shared_ptr<FileObject> SllManager::OpenFile(const char* fileName, bool streamed) const {
  if (!fileName) throw kSllNoStream;
  auto file = std::make_shared<FileObject>();
  const int opened = streamed && !loadWhole_ ? file->OpenStream(fileName) : file->Open(fileName);
  if (opened != 0) throw kSllOpenFailed;
  return file;
}

SoundDecoder* SllManager::Ask(const SllRecord& record, const std::shared_ptr<FileObject>& file) {
  SoundDecoder* decoder = nullptr;
  try {
    decoder = record.codec->CreateDecoder(file, nullptr);
  } catch (...) {
    return nullptr;  // a codec's own failure only means "not this codec"
  }
  if (!decoder || !record.library) return decoder;
  auto* wrapped = new (std::nothrow) PluginSoundDecoder(record.library, decoder);
  if (!wrapped) decoder->Release();
  return wrapped;
}

SoundDecoder* SllManager::CreateDecoder(const char* fileName, std::shared_ptr<FileObject> file, bool streamed,
                                        int32_t* outError) {
  SoundDecoder* decoder = nullptr;
  int32_t code = kSllOk;
  try {
    if (!file) file = OpenFile(fileName, streamed);
    const SoundCodec* first = fileName ? FindByExtension(fileName) : nullptr;
    for (const SllRecord& record : records_) {
      if (record.codec == first) {
        decoder = Ask(record, file);
        break;
      }
    }
    for (const SllRecord& record : records_) {
      if (decoder) break;
      if (record.codec == first) continue;
      // A codec that failed may have left the file anywhere; the next one
      // reads from the start.
      file->SeekSet(0);
      decoder = Ask(record, file);
    }
    if (!decoder) throw kSllNoCodec;
  } catch (ESllErrorCode error) {
    code = error;
  } catch (const std::bad_alloc&) {
    code = kSllNoMemory;
  }
  if (outError) *outError = code;
  return decoder;
}

}  // namespace orrivel
