#include "billing/billing_change.h"

#include "records/company_record.h"
#include "records/company_store.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/record_file.h"

namespace tf::billing {
namespace {

namespace inv = records::invoice;
namespace cu = records::customer;
namespace co = records::company;
using engine::EngineOK;
using engine::EngineStatus;

struct Member {
  std::string name;
  const records::RecordFileKind* kind;
  engine::FileBlock* BillingBlocks::*handle;
};

// The invoice file first: it leads the staged change and names its commit marker.
std::vector<Member> Members(std::string_view companyNumber) {
  return {{inv::InvoiceFileName(companyNumber), &inv::InvoiceFileKind(), &BillingBlocks::invoices},
          {inv::LineFileName(companyNumber), &inv::LineFileKind(), &BillingBlocks::lines},
          {inv::MemoFileName(companyNumber), &inv::MemoFileKind(), &BillingBlocks::memos},
          {cu::CustomerFileName(companyNumber), &cu::CustomerFileKind(), &BillingBlocks::customers},
          {std::string(co::kCompanyFileBlock), &co::CompanyFileKind(), &BillingBlocks::companies}};
}

bool OfKind(engine::FileBlock* handle, const records::RecordFileKind& kind) {
  return engine::RecordLength(handle) == kind.recordLength && engine::KeyCount(handle) == int(kind.keys.size());
}

}  // namespace

std::string StatusText() { return "(status " + std::to_string(EngineStatus) + ")"; }

BillingReader::~BillingReader() { Close(); }

void BillingReader::Close() {
  for (engine::FileBlock** h : {&blocks_.invoices, &blocks_.lines, &blocks_.memos, &blocks_.customers,
                                &blocks_.companies})
    if (*h) engine::CloseFileBlock(*h);
  blocks_ = {};
}

bool BillingReader::Open(std::string_view companyNumber, std::string& message) {
  Close();
  for (const Member& m : Members(companyNumber)) {
    engine::FileBlock*& handle = blocks_.*(m.handle);
    engine::OpenFileBlock(handle, m.name, true);
    if (!EngineOK && EngineStatus == engine::status::kFileNotFound) {
      handle = nullptr;
      continue;
    }
    if (EngineOK && !OfKind(handle, *m.kind)) {
      engine::CloseFileBlock(handle);
      EngineOK = false;
      EngineStatus = records::kNotThisKindOfFile;
    }
    if (!EngineOK) {
      const std::int32_t status = EngineStatus;
      handle = nullptr;
      Close();
      EngineStatus = status;
      message = "The file " + m.name + " cannot be read " + StatusText() + ".";
      return false;
    }
  }
  return true;
}

bool PrepareBlocks(std::string_view companyNumber, common::Prompter& prompter, engine::RebuildStatus& status) {
  for (const Member& m : Members(companyNumber)) {
    engine::FileBlock* handle = nullptr;
    records::CreateNotice notice;
    if (m.kind == &inv::InvoiceFileKind())
      notice = {std::string(inv::kNewInvoiceFileNotice), std::string(inv::kNewInvoiceFileCaption),
                common::PromptButtons::OK};
    if (!records::OpenRecordFile(handle, m.name, *m.kind, notice, prompter, status)) return false;
    engine::CloseFileBlock(handle);
    if (!EngineOK) return false;
  }
  return true;
}

bool BillingChange::Begin(std::string_view companyNumber, std::string& message) {
  committed_ = false;
  for (const Member& m : Members(companyNumber)) {
    records::StagedBlock& stage = group_.Add();
    bool ok = stage.Begin(m.name, m.kind->recordLength, m.kind->keys);
    if (ok && !OfKind(stage.get(), *m.kind)) {
      EngineOK = false;
      EngineStatus = records::kNotThisKindOfFile;
      ok = false;
    }
    if (!ok) {
      const std::int32_t status = EngineStatus;
      Abandon();
      EngineStatus = status;
      message = "The file " + m.name + " could not be prepared for the run " + StatusText() + ". Nothing was changed.";
      return false;
    }
    blocks_.*(m.handle) = stage.get();
  }
  return true;
}

bool BillingChange::WriteCompany(std::string_view companyNumber, const common::RecordBuffer& after,
                                 common::Prompter& prompter) {
  const std::int32_t ref = records::FindCompany(blocks_.companies, companyNumber);
  if (ref == 0) {
    if (EngineOK) {
      EngineOK = false;
      EngineStatus = engine::status::kSearchNotFound;
    }
    return false;
  }
  common::RecordBuffer before(co::kCompanyRecordLength);
  engine::GetRecord(blocks_.companies, ref, std::span<std::uint8_t>(before));
  if (!EngineOK) return false;
  return records::ModifyKeyedRecord(blocks_.companies, co::CompanyFileKind(), ref, after, before, prompter);
}

bool BillingChange::Commit(std::string& message) {
  blocks_ = {};
  if (group_.Commit()) {
    committed_ = true;
    return true;
  }
  committed_ = group_.CommittedOnFailure();
  message = committed_ ? "The invoices are written, but putting the files in place was cut short " + StatusText() +
                             "; the next time the files are opened it is completed."
                       : "The files could not be written " + StatusText() + ". Nothing was changed.";
  return false;
}

bool BillingChange::Finish(std::string_view companyNumber, const common::RecordBuffer& after,
                           common::Prompter& prompter, std::string& message, bool& late) {
  late = false;
  if (!WriteCompany(companyNumber, after, prompter)) {
    message = "The company record could not be written " + StatusText() + ". Nothing was changed.";
    Abandon();
    return false;
  }
  if (Commit(message)) return true;
  late = committed_;
  return committed_;
}

void BillingChange::Abandon() {
  group_.Abandon();
  blocks_ = {};
}

}  // namespace tf::billing
