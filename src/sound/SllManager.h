#pragma once
// The sound codecs of the process, in registration order: the built-in Ogg
// Vorbis codec and the "*.SLL" plug-ins of the "plugin" folder. It picks a
// codec by file extension and tries the others when that one fails. The
// game application owns one and publishes it through the process-wide
// pointer. Main thread only.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "resource/PluginLibrary.h"
#include "sound/SllEntryPoints.h"
#include "sound/SoundCodec.h"

namespace orrivel {

struct SllRecord {
  uint32_t type = 0;
  std::string typeString;
  std::vector<std::string> extensions;  // as listed: only upper case matches
  PluginLibraryPtr library;             // null for built-in codecs
  SoundCodec* codec = nullptr;          // owned
  SllProc assist = nullptr;
  SllProc assist2 = nullptr;
  SllProc configDialog = nullptr;
};

enum SllLoadCode : int32_t {
  kSllLoadOk = 0,
  kSllLoadBadPath = 1,
  kSllLoadNoLibrary = 2,
  kSllLoadMissingEntry = 3,
  kSllLoadNoCodec = 4,
  kSllLoadFailed = 5,
};

class SllManager {
 public:
  static constexpr uint32_t kOggType = 2;

  SllManager() = default;
  SllManager(const SllManager&) = delete;
  SllManager& operator=(const SllManager&) = delete;
  virtual ~SllManager();

  virtual void Unload(uint32_t type);
  virtual void UnloadAll();
  // Takes the codec. 1 for a null codec, else 0. extensionList: NUL-ended
  // texts ending with an empty one.
  virtual int32_t RegisterBuiltIn(SoundCodec* codec, const char* extensionList, const char* typeString,
                                  uint32_t type, SllProc assist, SllProc assist2, SllProc configDialog);
  virtual int32_t LoadOne(std::string_view fileName);
  // The number of "*.SLL" files in the folder that failed to load; -1 when
  // the folder cannot be made a full path.
  virtual int32_t LoadPlugins(std::string_view folder);
  virtual SoundCodec* FindByExtension(std::string_view fileName);
  virtual SoundCodec* FindCodecByType(uint32_t type);
  // A decoder for the file (opened here when no file is given, as a stream
  // when `streamed` is set and the load-whole switch is off), or null with
  // the ESllErrorCode in *outError.
  virtual SoundDecoder* CreateDecoder(const char* fileName, std::shared_ptr<FileObject> file, bool streamed,
                                      int32_t* outError);
  SllProc FindAssistFunc2(uint32_t type) const;

  void SetLoadWhole(bool loadWhole) { loadWhole_ = loadWhole; }
  bool LoadWhole() const { return loadWhole_; }
  const std::vector<SllRecord>& Records() const { return records_; }

 private:
  std::shared_ptr<FileObject> OpenFile(const char* fileName, bool streamed) const;
  static SoundDecoder* Ask(const SllRecord& record, const std::shared_ptr<FileObject>& file);
  void RemoveRecord(size_t index);

  std::vector<SllRecord> records_;
  bool loadWhole_ = false;
};

// The process-wide manager (null until the application sets it).
SllManager* GetSllManager();
// Returns the previous one.
SllManager* SetSllManager(SllManager* manager);

}  // namespace orrivel
