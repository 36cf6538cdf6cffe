#include "maintenance/file_words.h"

#include <cerrno>
#include <cstring>

namespace tf::maintenance {

std::string FileErrorInWords(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT: return "the disk is full";
    case EFBIG: return "the file is larger than the disk allows";
    case EROFS: return "the disk is read-only";
    case EACCES:
    case EPERM: return "permission was refused (the folder may be read-only)";
    case ENOENT: return "the file or its folder does not exist";
    case ENOTDIR: return "a part of the path is not a folder";
    case EIO: return "the disk reported a read or write error (was it removed?)";
    case ENODEV:
    case ENXIO: return "the disk is no longer there";
    case ENOMEM: return "there is not enough memory";
    case EEXIST: return "a file of that name is in the way";
    case EISDIR: return "a folder stands where the file belongs";
    default: return std::strerror(error);
  }
}

}  // namespace tf::maintenance
