#include "maintenance/zip_archive.h"

#include <sys/stat.h>
#include <zip.h>
#include <zlib.h>

#include <cerrno>
#include <fstream>
#include <vector>

#include "maintenance/file_words.h"

namespace tf::maintenance {
namespace {

// libzip's reason, in words where the system gave one.
std::string Describe(zip_error_t* error, int* systemError = nullptr) {
  const int system = zip_error_system_type(error) == ZIP_ET_SYS ? zip_error_code_system(error) : 0;
  if (systemError) *systemError = system;
  const std::string library = zip_error_strerror(error);
  if (system != 0) return FileErrorInWords(system) + " (" + library + ")";
  switch (zip_error_code_zip(error)) {
    case ZIP_ER_NOZIP: return "it is not a ZIP archive";
    case ZIP_ER_INCONS: return "the archive is damaged: its directory does not agree with its entries";
    case ZIP_ER_CRC: return "the archive is damaged: an entry's contents do not match their CRC";
    case ZIP_ER_NOENT: return "the archive does not exist";
    case ZIP_ER_EXISTS: return "a file stands more than once in the archive";
    case ZIP_ER_COMPNOTSUPP: return "an entry is compressed in a way that cannot be read";
    case ZIP_ER_ENCRNOTSUPP: return "an entry is encrypted";
    default: return "the archive cannot be read (" + library + ")";
  }
}

std::string DescribeCode(int code) {
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  std::string text = Describe(&error);
  zip_error_fini(&error);
  return text;
}

ZipEntryInfo::Type TypeOf(zip_t* archive, zip_uint64_t index, const std::string& name) {
  if (!name.empty() && name.back() == '/') return ZipEntryInfo::Type::Directory;
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0 || system != ZIP_OPSYS_UNIX)
    return ZipEntryInfo::Type::File;
  const mode_t mode = mode_t(attributes >> 16);
  switch (mode & S_IFMT) {
    case 0:
    case S_IFREG: return ZipEntryInfo::Type::File;
    case S_IFDIR: return ZipEntryInfo::Type::Directory;
    case S_IFLNK: return ZipEntryInfo::Type::Symlink;
    default: return ZipEntryInfo::Type::Other;
  }
}

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const Bytef*>(data);
  while (size > 0) {
    const uInt piece = size > (1u << 30) ? (1u << 30) : uInt(size);
    crc = std::uint32_t(crc32(crc, bytes, piece));
    bytes += piece;
    size -= piece;
  }
  return crc;
}

bool FileCrc32(const std::filesystem::path& path, std::uint32_t& crc, std::uint64_t& size, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path.filename().string() + " cannot be read: " + FileErrorInWords(errno);
    return false;
  }
  std::vector<char> buffer(1 << 16);
  crc = 0;
  size = 0;
  while (in) {
    in.read(buffer.data(), std::streamsize(buffer.size()));
    const std::size_t got = std::size_t(in.gcount());
    crc = Crc32(crc, buffer.data(), got);
    size += got;
  }
  if (in.bad()) {
    error = path.filename().string() + " cannot be read: " + FileErrorInWords(EIO);
    return false;
  }
  return true;
}

// --- reading ---------------------------------------------------------------------------------

std::unique_ptr<ZipReader> ZipReader::Open(const std::filesystem::path& path, std::string& error) {
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
  if (!archive) {
    error = DescribeCode(code);
    return nullptr;
  }
  std::unique_ptr<ZipReader> reader(new ZipReader(archive));
  const zip_int64_t count = zip_get_num_entries(archive, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive, zip_uint64_t(i), ZIP_FL_ENC_RAW, &st) != 0) {
      error = Describe(zip_get_error(archive));
      return nullptr;
    }
    ZipEntryInfo entry;
    entry.name = (st.valid & ZIP_STAT_NAME) && st.name ? st.name : "";
    entry.size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
    entry.compressedSize = (st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : 0;
    entry.crc = (st.valid & ZIP_STAT_CRC) ? st.crc : 0;
    entry.modified = (st.valid & ZIP_STAT_MTIME) ? st.mtime : 0;
    entry.method = (st.valid & ZIP_STAT_COMP_METHOD) ? st.comp_method : 0;
    entry.encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
    entry.type = TypeOf(archive, zip_uint64_t(i), entry.name);
    reader->entries_.push_back(std::move(entry));
  }
  return reader;
}

ZipReader::~ZipReader() { zip_discard(archive_); }

bool ZipReader::Read(std::size_t index, std::uint64_t limit,
                     const std::function<bool(const char*, std::size_t)>& sink, std::string& error) {
  const ZipEntryInfo& entry = entries_.at(index);
  zip_file_t* file = zip_fopen_index(archive_, index, 0);
  if (!file) {
    error = entry.name + ": " + Describe(zip_get_error(archive_));
    return false;
  }
  std::vector<char> buffer(1 << 16);
  std::uint64_t total = 0;
  std::uint32_t crc = 0;
  bool ok = true;
  for (;;) {
    const zip_int64_t got = zip_fread(file, buffer.data(), buffer.size());
    if (got < 0) {
      error = entry.name + ": " + Describe(zip_file_get_error(file));
      ok = false;
      break;
    }
    if (got == 0) break;
    total += std::uint64_t(got);
    if (total > entry.size || total > limit) {
      error = entry.name + ": its contents are larger than the archive says (" + std::to_string(entry.size) +
              " bytes)";
      ok = false;
      break;
    }
    crc = Crc32(crc, buffer.data(), std::size_t(got));
    if (!sink(buffer.data(), std::size_t(got))) {
      ok = false;
      break;
    }
  }
  zip_fclose(file);
  if (!ok) return false;
  if (total != entry.size) {
    error = entry.name + ": its contents end after " + std::to_string(total) + " of " + std::to_string(entry.size) +
            " bytes";
    return false;
  }
  if (crc != entry.crc) {
    error = entry.name + ": the archive is damaged: the contents do not match their CRC";
    return false;
  }
  return true;
}

// --- writing ---------------------------------------------------------------------------------

std::unique_ptr<ZipWriter> ZipWriter::Create(const std::filesystem::path& path, std::string& error) {
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (!archive) {
    error = DescribeCode(code);
    return nullptr;
  }
  return std::unique_ptr<ZipWriter>(new ZipWriter(archive));
}

ZipWriter::~ZipWriter() {
  if (archive_) zip_discard(archive_);
}

bool ZipWriter::AddFile(const std::string& name, const std::filesystem::path& source, std::time_t modified,
                        std::string& error) {
  zip_source_t* data = zip_source_file(archive_, source.c_str(), 0, -1);
  if (!data) {
    error = name + ": " + Describe(zip_get_error(archive_));
    return false;
  }
  const zip_int64_t index = zip_file_add(archive_, name.c_str(), data, 0);
  if (index < 0) {
    zip_source_free(data);
    error = name + ": " + Describe(zip_get_error(archive_));
    return false;
  }
  const zip_uint64_t i = zip_uint64_t(index);
  if (zip_set_file_compression(archive_, i, ZIP_CM_DEFLATE, 0) != 0 ||
      zip_file_set_mtime(archive_, i, modified, 0) != 0 ||
      zip_file_set_external_attributes(archive_, i, 0, ZIP_OPSYS_UNIX, zip_uint32_t(S_IFREG | 0644) << 16) != 0) {
    error = name + ": " + Describe(zip_get_error(archive_));
    return false;
  }
  return true;
}

bool ZipWriter::Write(const std::function<void(double)>& progress, std::string& error, int& systemError) {
  systemError = 0;
  progress_ = progress;
  if (progress_) {
    zip_register_progress_callback_with_state(
        archive_, 0.01,
        [](zip_t*, double done, void* self) {
          auto* writer = static_cast<ZipWriter*>(self);
          if (writer->progress_) writer->progress_(done);
        },
        nullptr, this);
  }
  if (zip_close(archive_) != 0) {
    error = Describe(zip_get_error(archive_), &systemError);
    return false;  // the archive is discarded by the destructor
  }
  archive_ = nullptr;
  return true;
}

}  // namespace tf::maintenance
