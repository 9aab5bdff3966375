#include "resource/FileObject.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "resource/ArchiveManager.h"
#include "resource/MemoryBlock.h"
#include "resource/MemoryStream.h"
#include "resource/Paths.h"

namespace orrivel {

FileObject::~FileObject() { Close(); }

const void* FileObject::GetData() const { return stream_ ? stream_->GetBuffer(false) : nullptr; }

void FileObject::Close() {
  stream_.reset();
  handle_.Close();
  if (isTemporary_) {
    platform::RemoveFile(name_);
    isTemporary_ = false;
  }
  name_.clear();
  size_ = 0;
}

int FileObject::TakeLoaded(int code, MemoryBlock& block, std::string& resolved) {
  if (code != 0) {
    Close();
    return code;
  }
  auto* memory = new (std::nothrow) MemoryStream();
  if (!memory) {
    ArchiveManagerFree(&block);
    return kFileObjectNoMemory;
  }
  memory->Attach(block.pointer, block.size);
  stream_.reset(memory);
  size_ = block.size;
  name_ = std::move(resolved);
  return kFileObjectOk;
}

int FileObject::Open(std::string_view name) {
  ArchiveManager* manager = GetArchiveManager();
  if (!manager) return kFileObjectNoManager;
  Close();
  MemoryBlock block;
  std::string resolved;
  return TakeLoaded(manager->LoadFile(name, ArchiveManagerAlloc, ArchiveManagerFree, &block, &resolved), block,
                    resolved);
}

int FileObject::OpenArchiveMember(int32_t archiveId, int32_t memberIndex, std::string_view memberName) {
  ArchiveManager* manager = GetArchiveManager();
  if (!manager) return kFileObjectNoManager;
  Close();
  MemoryBlock block;
  std::string resolved;
  return TakeLoaded(manager->OpenMember(archiveId, memberIndex, memberName, ArchiveManagerAlloc,
                                        ArchiveManagerFree, &block, &resolved),
                    block, resolved);
}

int FileObject::OpenStream(std::string_view name) {
  ArchiveManager* manager = GetArchiveManager();
  if (!manager) return kFileObjectNoManager;
  Close();
  int code = 0;
  std::string resolved;
  Stream* stream = manager->OpenStream(name, &resolved, &code, false);
  if (stream) {
    stream_.reset(stream);
    size_ = stream->GetSize();
    name_ = std::move(resolved);
  }
  return code;
}

int64_t FileObject::Tell() const {
  if (stream_) return stream_->Tell();
  if (handle_.IsOpen()) return handle_.Tell();
  return -1;
}

bool FileObject::IsEof() const {
  if (stream_) return stream_->IsEof();
  if (handle_.IsOpen()) return handle_.Tell() == int64_t(size_);
  return false;
}

int FileObject::SeekSet(uint32_t offset) {
  if (stream_) return stream_->SeekSet(offset);
  if (handle_.IsOpen()) return handle_.Seek(offset, SEEK_SET) < 0 ? kFileObjectSeekFailed : 0;
  return kFileObjectCannotOpen;
}

int FileObject::SeekCurrent(int32_t offset) {
  if (stream_) return stream_->SeekCurrent(offset);
  if (handle_.IsOpen()) return handle_.Seek(offset, SEEK_CUR) < 0 ? kFileObjectSeekFailed : 0;
  return kFileObjectCannotOpen;
}

int FileObject::SeekEnd(uint32_t offset) {
  if (stream_) return stream_->SeekEnd(offset);
  if (handle_.IsOpen()) return handle_.Seek(-int64_t(offset), SEEK_END) < 0 ? kFileObjectSeekFailed : 0;
  return kFileObjectCannotOpen;
}

uint32_t FileObject::Read(void* buffer, uint32_t count) {
  if (stream_) return stream_->Read(buffer, count);
  if (handle_.IsOpen() && buffer) {
    const int64_t got = handle_.Read(buffer, count);
    return got > 0 ? uint32_t(got) : 0;
  }
  return 0;
}

void* FileObject::DetachData() {
  if (!stream_) return nullptr;
  void* block = stream_->GetBuffer(true);
  stream_.reset();
  return block;
}

int32_t FileObject::ReadLine(char* buffer, uint32_t capacity) {
  if (!stream_) return 0;
  const auto* data = static_cast<const uint8_t*>(stream_->GetBuffer(false));
  if (!data) return 0;
  const uint32_t start = stream_->Tell();
  const uint32_t remaining = size_ - start;
  if (remaining == 0) return 0;
  const uint8_t* line = data + start;
  uint32_t length = 0;  // bytes of the line before its CR-LF
  while (length < remaining && !(line[length] == 0x0D && length + 1 < remaining && line[length + 1] == 0x0A)) {
    ++length;
  }
  const bool hasBreak = length < remaining;
  const bool endMark = length > 0 && line[length - 1] == 0x1A;
  if (!buffer) return int32_t(length + 1 - (endMark ? 1 : 0));
  if (capacity <= 1 || length > capacity - 1) return kLineTooLong;
  const uint32_t kept = length - (endMark ? 1 : 0);
  std::memcpy(buffer, line, kept);
  buffer[kept] = '\0';
  const uint32_t consumed = length + (hasBreak ? 2 : 0);
  stream_->SeekSet(start + consumed);
  return int32_t(consumed);
}

int FileObject::OpenForWrite(std::string_view path, bool truncate) {
  Close();
  std::string full;
  if (MakeFullPath(full, path) == 0) return kFileObjectBadPath;
  handle_ = platform::File::Open(full, platform::File::Access::Write,
                                 truncate ? platform::File::Disposition::CreateAlways
                                          : platform::File::Disposition::CreateNew);
  if (!handle_.IsOpen()) return kFileObjectCannotOpen;
  name_ = std::move(full);
  return kFileObjectOk;
}

int FileObject::OpenExisting(std::string_view path) {
  Close();
  std::string full;
  if (MakeFullPath(full, path) == 0) return kFileObjectBadPath;
  handle_ = platform::File::Open(full, platform::File::Access::ReadWrite, platform::File::Disposition::OpenExisting);
  if (!handle_.IsOpen()) return kFileObjectCannotOpen;
  const int64_t size = handle_.Size();
  if (size < 0 || size > int64_t(UINT32_MAX)) {
    Close();
    return kFileObjectSizeFailed;
  }
  name_ = std::move(full);
  size_ = uint32_t(size);
  return kFileObjectOk;
}

uint32_t FileObject::Write(const void* buffer, uint32_t count) {
  if (!handle_.IsOpen() || !buffer) return 0;
  const int64_t put = handle_.Write(buffer, count);
  return put > 0 ? uint32_t(put) : 0;
}

uint32_t FileObject::Printf(const char* format, ...) {
  if (!handle_.IsOpen() || !format) return 0;
  char text[kPrintfBufferSize];
  va_list list;
  va_start(list, format);
  const int length = std::vsnprintf(text, sizeof text, format, list);
  va_end(list);
  if (length < 0 || size_t(length) >= sizeof text) return 0;
  return Write(text, uint32_t(length));
}

int FileObject::OpenAsTempFile(std::string_view name) {
  const int code = Open(name);
  if (code != 0) return code;
  const auto temp = platform::CreateTempFile(platform::TempFolder(), "VQF");
  if (!temp || temp->size() >= kMaxPath) {
    if (temp) platform::RemoveFile(*temp);
    Close();
    return kFileObjectSizeFailed;
  }
  FileObject writer;
  if (writer.OpenForWrite(*temp, true) != 0) {
    platform::RemoveFile(*temp);
    Close();
    return kFileObjectCannotOpen;
  }
  const uint32_t size = size_;
  const bool written = writer.Write(GetData(), size) == size;
  writer.Close();
  Close();
  if (!written && size != 0) {
    platform::RemoveFile(*temp);
    return kFileObjectCannotOpen;
  }
  name_ = *temp;
  size_ = size;
  isTemporary_ = true;
  return kFileObjectOk;
}

}  // namespace orrivel
