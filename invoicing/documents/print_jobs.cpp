#include "invoicing/documents/print_jobs.h"

namespace tf::invoicing::documents {

common::PrintCanvas* PrinterJobs::BeginJob(std::string_view title) {
  canvas_.SetTitle(title);
  return canvas_.BeginDoc() ? &canvas_ : nullptr;
}

bool PrinterJobs::EndJob() { return canvas_.EndDoc(); }

SingleDocumentJobs::~SingleDocumentJobs() = default;

common::PrintCanvas* SingleDocumentJobs::BeginJob(std::string_view) {
  if (failed_ || finished_) return nullptr;
  if (started_) {
    canvas_.NewPage();
    return &canvas_;
  }
  canvas_.SetTitle(title_);
  if (!canvas_.BeginDoc()) {
    failed_ = true;
    return nullptr;
  }
  started_ = true;
  return &canvas_;
}

bool SingleDocumentJobs::Finish() {
  if (finished_) return !failed_;
  finished_ = true;
  if (failed_) return false;
  // Nothing was drawn: there is nothing to deliver, and nothing failed.
  return !started_ || canvas_.EndDoc();
}

}  // namespace tf::invoicing::documents
