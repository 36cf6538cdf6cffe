#pragma once
// Where the printed copies of one command go. On a printer every copy is a job of its own and
// is out once that job ended well. In a PDF file every copy of the command follows the others
// in one document, and nothing is out before the file is written at the end: what is marked
// printed must wait for that.

#include <string>
#include <string_view>

#include "common/print_canvas.h"

namespace tf::invoicing::documents {

class PrintJobs {
 public:
  virtual ~PrintJobs() = default;
  // Begins one copy titled `title`: the canvas to draw it on, on a fresh page; nullptr when the
  // job cannot start.
  virtual common::PrintCanvas* BeginJob(std::string_view title) = 0;
  // Ends the copy begun last; false when it did not get through.
  virtual bool EndJob() = 0;
  // True when a copy whose job ended well is printed for good; false when only Finish delivers.
  virtual bool EachJobDelivered() const = 0;
  // Completes the output; false when it failed, and then nothing held back is out.
  virtual bool Finish() = 0;
};

// A printer: one job per copy on the same canvas.
class PrinterJobs : public PrintJobs {
 public:
  explicit PrinterJobs(common::PrintCanvas& canvas) : canvas_(canvas) {}
  common::PrintCanvas* BeginJob(std::string_view title) override;
  bool EndJob() override;
  bool EachJobDelivered() const override { return true; }
  bool Finish() override { return true; }

 private:
  common::PrintCanvas& canvas_;
};

// One document for every copy (a PDF file): the first copy begins it, the others start on new
// pages, Finish ends it.
class SingleDocumentJobs : public PrintJobs {
 public:
  SingleDocumentJobs(common::PrintCanvas& canvas, std::string title) : canvas_(canvas), title_(std::move(title)) {}
  ~SingleDocumentJobs() override;
  common::PrintCanvas* BeginJob(std::string_view title) override;
  bool EndJob() override { return true; }
  bool EachJobDelivered() const override { return false; }
  bool Finish() override;
  bool Started() const { return started_; }

 private:
  common::PrintCanvas& canvas_;
  std::string title_;
  bool started_ = false;
  bool failed_ = false;
  bool finished_ = false;
};

}  // namespace tf::invoicing::documents
