#pragma once
// The company records the program holds while it runs, and how they meet the files: the
// company file block "Company" and the start-up file "LastCo.Dat" that names the company the
// program opens with. The main window owns one CompanyBook; every window reads the current
// company's options from it.

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "common/prompter.h"
#include "common/record_buffer.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild_status.h"

namespace tf::records {

inline constexpr std::string_view kNewCompanyFileNotice = "I am going to create a new, empty company file.";
inline constexpr std::string_view kNewCompanyCaption = "New Company";
// What a caller shows when OpenCompanyFile gives up, before the program ends.
inline constexpr std::string_view kUnableToOpenCompanyDatabase = "Unable to open company database";

// Opens "Company": a defective index is rebuilt when the user agrees to "Index file is
// defective.  Rebuild?"; missing files are created empty after "I am going to create a new,
// empty company file." (OK/Cancel); anything else gives up. False when it gave up (EngineStatus
// tells why).
bool OpenCompanyFile(engine::FileBlock*& handle, common::Prompter& prompter, engine::RebuildStatus& status);

// The record number of the company whose number is `companyNumber` in the open company file
// block, or 0 when there is none. Only an exact key counts: the index's next company is not a
// stand-in for a missing one.
std::int32_t FindCompany(engine::FileBlock* handle, std::string_view companyNumber);

class CompanyBook {
 public:
  CompanyBook();

  // The company in use: every window reads its options here.
  std::span<std::uint8_t> Current() { return {current_.data(), current_.size()}; }
  std::span<const std::uint8_t> Current() const { return {current_.data(), current_.size()}; }
  // The second record: the Company Manager's row buffer and its add/edit screens' record, and
  // the buffer of every read-modify-write of the company file block.
  std::span<std::uint8_t> Work() { return {work_.data(), work_.size()}; }
  std::span<const std::uint8_t> Work() const { return {work_.data(), work_.size()}; }

  // Reads "LastCo.Dat" (its first 2736 bytes) into the current company. Throws
  // std::system_error when it cannot be read or is shorter than one record.
  void ReadStartupFile();

  // Writes the work record as "LastCo.Dat", replacing the file whole, then makes it the current
  // company. Throws std::system_error; the file and the current company are then unchanged.
  void SaveStartupFile();

  // Re-reads the current company from the open company file block. False, with the current
  // company unchanged, when its number is not there or the read fails.
  bool RefreshCurrent(engine::FileBlock* handle);

  // The company record update: opens the company file block, reads the current company's
  // record into the work record, lets `change` edit it, writes it back (guarded: lock retry,
  // keys kept in step should the change touch them), closes the file block and copies the work
  // record over the current company. False when any step fails; the current company is then
  // unchanged unless only the final close failed.
  bool UpdateCurrentCompany(const std::function<void(std::span<std::uint8_t> work)>& change,
                            common::Prompter& prompter, engine::RebuildStatus& status);

 private:
  common::RecordBuffer current_;
  common::RecordBuffer work_;
};

}  // namespace tf::records
