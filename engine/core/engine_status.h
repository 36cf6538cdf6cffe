#pragma once
// The engine-wide result of the most recent operation. Every engine operation resets these on
// entry and sets them on failure; callers test EngineOK right after each call.

#include <cstdint>

namespace tf::engine {

inline bool EngineOK = true;
inline int32_t EngineStatus = 0;

// Diagnosis only (never shown to users): the first operating-system error of the current
// operation and which file primitive met it.
enum class FilePrimitive : uint8_t { None, Open, Create, Close, Read, Write, Sync, Size, Truncate, Remove, Rename };
inline int EngineOsError = 0;
inline FilePrimitive EngineFailedPrimitive = FilePrimitive::None;

// Status codes.
namespace status {
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kPathNotFound = 9900;
inline constexpr int32_t kTooManyOpenFiles = 9901;
inline constexpr int32_t kFileNotFound = 9903;
inline constexpr int32_t kInvalidOsHandle = 9904;
inline constexpr int32_t kAccessDenied = 9908;
// A FIFO, device, directory or anything else but a regular file stands where a data, index or
// journal file belongs. Nothing is opened, waited on or replaced.
inline constexpr int32_t kNotRegularFile = 9915;
inline constexpr int32_t kNoBuffers = 10000;
inline constexpr int32_t kIndexDefective = 10010;
inline constexpr int32_t kRecordLengthTooSmall = 10020;
inline constexpr int32_t kNoMemoryForKeys = 10030;
inline constexpr int32_t kTooManyKeys = 10050;
inline constexpr int32_t kBadKeyLength = 10055;
inline constexpr int32_t kHeaderTooManyKeys = 10060;
inline constexpr int32_t kReadOnly = 10065;
inline constexpr int32_t kShortRead = 10070;
inline constexpr int32_t kBufferTooSmall = 10072;  // a record read into a buffer shorter than a record
inline constexpr int32_t kShortWrite = 10075;
inline constexpr int32_t kNotOpen = 10080;
inline constexpr int32_t kNoMemoryForFileBlock = 10090;
inline constexpr int32_t kNoMemoryOpening = 10100;
inline constexpr int32_t kIndexPageSize = 10120;
inline constexpr int32_t kIndexKeyLength = 10121;
inline constexpr int32_t kIndexCapacity = 10122;
inline constexpr int32_t kKeyTooLong = 10125;
inline constexpr int32_t kPutRecordZero = 10130;
inline constexpr int32_t kDeleteOutOfRange = 10135;
inline constexpr int32_t kOsFailure = 10140;
inline constexpr int32_t kCloseFailed = 10160;
inline constexpr int32_t kKeyNumberOutOfRange = 10164;
inline constexpr int32_t kFreeChainDamaged = 10170;
inline constexpr int32_t kJournalReplayFailed = 10180;
inline constexpr int32_t kSearchNotFound = 10210;
inline constexpr int32_t kDeleteKeyNotFound = 10220;
inline constexpr int32_t kDuplicateKey = 10230;
inline constexpr int32_t kNextPastEnd = 10250;
inline constexpr int32_t kPrevPastStart = 10260;
inline constexpr int32_t kFindNotFound = 10270;
inline constexpr int32_t kNoFurtherRecord = 10275;
inline constexpr int32_t kKeyAtPositionEmpty = 10280;
inline constexpr int32_t kKeyPositionEmpty = 10285;
inline constexpr int32_t kScanOsFailure = 10390;
inline constexpr int32_t kReadOnlyOsFailure = 10397;
inline constexpr int32_t kKeyAtPositionScale = 10420;
inline constexpr int32_t kKeyPositionScale = 10425;
inline constexpr int32_t kJournalReadOnly = 10430;
inline constexpr int32_t kInvalidHandle = 10445;
inline constexpr int32_t kAlreadyInitialised = 10450;
inline constexpr int32_t kTooFewBuffers = 10451;
inline constexpr int32_t kNotInitialised = 10455;
}  // namespace status

// 0 ok, 1 not found / no more, 2 lock / busy, 3 change lost, 4 hard error.
int ErrorClassOf(int32_t status);
inline int EngineErrorClass() { return ErrorClassOf(EngineStatus); }

}  // namespace tf::engine
