#pragma once
// The one way every subsystem reads game data and writes its own files: a
// named file loaded whole (a loose file or an archive member found by the
// ArchiveManager) into a memory stream, or opened as a stream, or a disk
// file opened for writing. One object can be reused; each open closes
// first.
#include <cstdarg>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "resource/Stream.h"

namespace orrivel {

struct MemoryBlock;

class FileInterface {
 public:
  virtual ~FileInterface() = default;
};

// Results of FileObject operations (beside the look-up codes passed through).
enum FileObjectCode : int {
  kFileObjectOk = 0,
  kFileObjectNoManager = 1,
  kFileObjectCannotOpen = 3,
  kFileObjectBadPath = 5,
  kFileObjectSeekFailed = 6,
  kFileObjectNoMemory = 8,
  kFileObjectSizeFailed = 10,
};

// ReadLine's answer when the line does not fit in the buffer (the position
// stays, so the caller can retry with a larger one).
constexpr int32_t kLineTooLong = -1;
// Printf's buffer: the formatted text and its NUL must fit.
constexpr size_t kPrintfBufferSize = 512;

class FileObject : public FileInterface {
 public:
  FileObject() = default;
  ~FileObject() override;
  FileObject(const FileObject&) = delete;
  FileObject& operator=(const FileObject&) = delete;

  virtual const void* GetData() const;
  virtual const std::string& GetName() const { return name_; }
  virtual uint32_t GetSize() const { return size_; }
  virtual void Reset() { Close(); }
  virtual void Close();
  virtual int Open(std::string_view name);
  virtual int OpenArchiveMember(int32_t archiveId, int32_t memberIndex, std::string_view memberName);
  virtual int OpenStream(std::string_view name);
  virtual int64_t Tell() const;
  virtual bool IsEof() const;
  virtual int SeekSet(uint32_t offset);
  virtual int SeekCurrent(int32_t offset);
  virtual int SeekEnd(uint32_t offset);
  virtual uint32_t Read(void* buffer, uint32_t count);
  // The loaded block, now the caller's (free with FreeGlobalMemory).
  virtual void* DetachData();
  // Bytes consumed (CR-LF included) with the line stored NUL-terminated;
  // without a buffer the room the line needs; 0 at the end of the data or
  // when nothing is loaded; kLineTooLong when it does not fit.
  virtual int32_t ReadLine(char* buffer, uint32_t capacity);
  virtual int OpenForWrite(std::string_view path, bool truncate);
  virtual int OpenExisting(std::string_view path);
  virtual uint32_t Write(const void* buffer, uint32_t count);
  // Writes the formatted text (without its NUL). 0 without a handle or a
  // format, or when the text would not fit in kPrintfBufferSize.
  virtual uint32_t Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  virtual int OpenAsTempFile(std::string_view name);

  bool IsTemporary() const { return isTemporary_; }

 private:
  // Wraps a block the archive manager loaded in a memory stream, or passes
  // the manager's failure code on.
  int TakeLoaded(int code, MemoryBlock& block, std::string& resolved);

  std::string name_;
  uint32_t size_ = 0;
  StreamPtr stream_;
  platform::File handle_;
  bool isTemporary_ = false;
};

}  // namespace orrivel
