#include "records/company_store.h"

#include <algorithm>
#include <string>
#include <system_error>

#include "common/key_text.h"
#include "common/record_fields.h"
#include "common/side_file.h"
#include "records/company_record.h"
#include "records/record_file.h"

namespace tf::records {

using engine::EngineOK;
using engine::EngineStatus;
using namespace company;

bool OpenCompanyFile(engine::FileBlock*& handle, common::Prompter& prompter, engine::RebuildStatus& status) {
  const CreateNotice notice{std::string(kNewCompanyFileNotice), std::string(kNewCompanyCaption),
                            common::PromptButtons::OKCancel};
  return OpenRecordFile(handle, std::string(kCompanyFileBlock), CompanyFileKind(), notice, prompter, status);
}

std::int32_t FindCompany(engine::FileBlock* handle, std::string_view companyNumber) {
  const std::size_t keyLength = CompanyFileKind().keys[kNumberKey - 1].KeyLength;
  const std::string wanted = common::BuildKey(companyNumber, keyLength);
  std::string key = wanted;
  std::int32_t ref = 0;
  engine::SearchKey(handle, kNumberKey, ref, key);
  if (!EngineOK) return 0;
  if (key != wanted) {
    EngineOK = false;
    EngineStatus = engine::status::kSearchNotFound;
    return 0;
  }
  return ref;
}

CompanyBook::CompanyBook() : current_(kCompanyRecordLength), work_(kCompanyRecordLength) {}

void CompanyBook::ReadStartupFile() {
  const std::string bytes = common::ReadWholeFile(std::string(kStartupFile));
  if (bytes.size() < current_.size())
    throw std::system_error(std::make_error_code(std::errc::io_error),
                            std::string(kStartupFile) + " holds " + std::to_string(bytes.size()) +
                                " bytes, less than one company record");
  std::copy_n(bytes.begin(), current_.size(), current_.begin());
}

void CompanyBook::SaveStartupFile() {
  common::ReplaceFile(std::string(kStartupFile),
                      std::string_view(reinterpret_cast<const char*>(work_.data()), work_.size()));
  current_ = work_;
}

bool CompanyBook::RefreshCurrent(engine::FileBlock* handle) {
  const std::int32_t ref = FindCompany(handle, common::ReadText(Current(), kCompanyNumber));
  if (ref == 0) return false;
  common::RecordBuffer read(current_.size());
  engine::GetRecord(handle, ref, std::span<std::uint8_t>(read));
  if (!EngineOK) return false;
  current_ = read;
  return true;
}

bool CompanyBook::UpdateCurrentCompany(const std::function<void(std::span<std::uint8_t> work)>& change,
                                       common::Prompter& prompter, engine::RebuildStatus& status) {
  engine::FileBlockGuard block;
  if (!OpenCompanyFile(block.handle(), prompter, status)) return false;
  const std::int32_t ref = FindCompany(block.get(), common::ReadText(Current(), kCompanyNumber));
  if (ref == 0) return false;
  engine::GetRecord(block.get(), ref, std::span<std::uint8_t>(work_));
  if (!EngineOK) return false;
  const common::RecordBuffer before = work_;
  change(Work());
  if (!ModifyKeyedRecord(block.get(), CompanyFileKind(), ref, Work(), {before.data(), before.size()}, prompter))
    return false;
  current_ = work_;
  block.Close();
  return EngineOK;
}

}  // namespace tf::records
