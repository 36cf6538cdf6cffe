#pragma once
// The thin file layer under the engine. Every byte the engine reads or writes goes through
// the current FileSystem, so tests can substitute one that fails on demand or records the
// order of writes and syncs. Calls return 0 or an errno value.

#include <cstddef>
#include <cstdint>
#include <string>

namespace tf::engine {

enum class OpenMode : uint8_t {
  ExistingReadWrite,  // open an existing file, exclusively
  ExistingReadOnly,
  CreateAlways,       // create or truncate, read/write, exclusively
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Only regular files open: a FIFO, device or directory in the file's place fails with
  // ENODEV at once (the open never waits for a FIFO's other end).
  // On success fd is a descriptor >= 3 (engine files never take stdin/stdout/stderr) and the
  // file is locked against other openers: a second exclusive open fails with EWOULDBLOCK.
  virtual int Open(const std::string& path, OpenMode mode, int& fd) = 0;
  virtual int Close(int fd) = 0;
  // Positioned transfers; `done` is the byte count actually moved (short counts are not errors
  // here, the engine maps them).
  virtual int Read(int fd, void* buf, size_t n, int64_t offset, size_t& done) = 0;
  virtual int Write(int fd, const void* buf, size_t n, int64_t offset, size_t& done) = 0;
  virtual int Sync(int fd) = 0;
  virtual int Size(int fd, int64_t& size) = 0;
  virtual int Truncate(int fd, int64_t size) = 0;
  virtual int Remove(const std::string& path) = 0;
  virtual int Rename(const std::string& from, const std::string& to) = 0;
  // Makes a created, removed or renamed directory entry durable.
  virtual int SyncDirectoryOf(const std::string& path) = 0;
  // True when the directory that would hold `path` exists (tells "file not found" from
  // "path not found").
  virtual bool DirectoryOfExists(const std::string& path) = 0;
};

// The POSIX implementation used by the program.
FileSystem& PosixFileSystem();

// The file layer in use; tests swap it with ScopedFileSystem.
FileSystem& CurrentFileSystem();
void SetFileSystem(FileSystem* fs);  // nullptr restores the POSIX one

class ScopedFileSystem {
 public:
  explicit ScopedFileSystem(FileSystem& fs) : previous_(&CurrentFileSystem()) { SetFileSystem(&fs); }
  ~ScopedFileSystem() { SetFileSystem(previous_); }
  ScopedFileSystem(const ScopedFileSystem&) = delete;
  ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

 private:
  FileSystem* previous_;
};

}  // namespace tf::engine
