#pragma once
// Standard ZIP archives (deflate) through libzip, as the backup uses them: one writer that adds
// files and writes the archive whole, and one reader that lists the entries and streams an
// entry's contents with its size and CRC verified. Failures are sentences, never exceptions.

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

typedef struct zip zip_t;

namespace tf::maintenance {

// The CRC-32 of a ZIP entry, continued from `crc` over `size` bytes.
std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size);

// The CRC-32 and size of a whole file; false with `error` when it cannot be read.
bool FileCrc32(const std::filesystem::path& path, std::uint32_t& crc, std::uint64_t& size, std::string& error);

struct ZipEntryInfo {
  enum class Type { File, Directory, Symlink, Other };
  std::string name;                  // the bytes the archive stores, no conversion
  std::uint64_t size = 0;            // uncompressed, as the archive says
  std::uint64_t compressedSize = 0;  // as the archive says
  std::uint32_t crc = 0;
  std::time_t modified = 0;
  std::uint16_t method = 0;  // 0 stored, 8 deflated
  bool encrypted = false;
  // A directory by its trailing "/", or whatever the entry's Unix attributes say it was.
  Type type = Type::File;
};

class ZipReader {
 public:
  // Opens an existing archive, checking its directory for consistency. Null, with the reason in
  // `error`, when it is missing, is no ZIP archive or is damaged.
  static std::unique_ptr<ZipReader> Open(const std::filesystem::path& path, std::string& error);
  ~ZipReader();
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  const std::vector<ZipEntryInfo>& Entries() const { return entries_; }

  // Streams the contents of entry `index` to `sink` in pieces. Fails (with `error`) when the
  // contents cannot be read or decompressed, when they grow past the size the archive gives or
  // past `limit`, when they end short of that size, or when their CRC is not the archive's;
  // also when `sink` returns false.
  bool Read(std::size_t index, std::uint64_t limit, const std::function<bool(const char*, std::size_t)>& sink,
            std::string& error);

 private:
  explicit ZipReader(zip_t* archive) : archive_(archive) {}
  zip_t* archive_;
  std::vector<ZipEntryInfo> entries_;
};

class ZipWriter {
 public:
  // Starts a new archive at `path`, replacing whatever file is there when it is written. Null
  // with `error` on failure.
  static std::unique_ptr<ZipWriter> Create(const std::filesystem::path& path, std::string& error);
  // Discards an archive that was not written.
  ~ZipWriter();
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  // Adds `source` as the deflated entry `name`, a regular file dated `modified`. The file is
  // read when the archive is written.
  bool AddFile(const std::string& name, const std::filesystem::path& source, std::time_t modified,
               std::string& error);

  // Writes the archive, telling `progress` how far it got (0 to 1). False with the reason in
  // `error` and the system's error number in `systemError` (0 when libzip gave none).
  bool Write(const std::function<void(double)>& progress, std::string& error, int& systemError);

 private:
  explicit ZipWriter(zip_t* archive) : archive_(archive) {}
  zip_t* archive_;
  std::function<void(double)> progress_;
};

}  // namespace tf::maintenance
