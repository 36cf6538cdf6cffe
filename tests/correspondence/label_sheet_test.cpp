#include "correspondence/label_sheet.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "common/record_fields.h"
#include "common/recording_canvas.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "tests/support/temp_folder.h"

namespace tf::correspondence {
namespace {

namespace cu = records::customer;
namespace co = records::company;

// Customers by number; the ones the test removes are "gone".
class MapLookup : public CustomerLookup {
 public:
  void Add(const std::string& number, const std::string& name, bool withShipping = false) {
    common::RecordBuffer r = cu::NewCustomerRecord();
    common::WriteText(r, cu::kCustomerNumber, number);
    common::WriteText(r, cu::kCustomerName, name);
    for (int i = 0; i < 4; ++i) {
      common::WriteText(r, cu::kBillAddress[i], "Bill " + std::to_string(i + 1) + " of " + number);
      if (withShipping) common::WriteText(r, cu::kShipAddress[i], "Ship " + std::to_string(i + 1) + " of " + number);
    }
    customers_.insert_or_assign(number, r);
  }
  Result Find(std::string_view number, common::RecordBuffer& record) override {
    ++calls;
    if (failAt && calls == failAt) return Result::Failed;
    const auto it = customers_.find(std::string(number));
    if (it == customers_.end()) return Result::Missing;
    record = it->second;
    return Result::Found;
  }
  std::string FailureText() const override { return "The customer file could not be read (status 9)."; }
  int calls = 0;
  int failAt = 0;

 private:
  std::map<std::string, common::RecordBuffer> customers_;
};

// 3 x 10, left 19, top 105, 825 x 300, 10-point text (lines of 50 units on the recording canvas).
LabelLayout Sheet(int columns = 3, int rows = 10) {
  LabelLayout l;
  l.LeftMargin = "19";
  l.TopMargin = "105";
  l.ColumnsAcross = std::to_string(columns);
  l.RowsDown = std::to_string(rows);
  l.LabelWidth = "825";
  l.LabelHeight = "300";
  l.Font = {"Arial", 10, 0, 0};
  return l;
}

common::RecordBuffer Company() {
  common::RecordBuffer c(co::kCompanyRecordLength);
  common::WriteText(c, co::kCompanyName, "Tally Co");
  common::WriteText(c, co::kAddress1, "1 Main St");
  common::WriteText(c, co::kAddress2, "Springfield");
  return c;
}

struct Fixture {
  MapLookup customers;
  std::vector<LabelQueueEntry> queue;
  common::RecordBuffer company = Company();
  common::RecordingCanvas canvas;

  void Queue(int count) {
    for (int i = 1; i <= count; ++i) {
      const std::string n = std::to_string(1000 + i);
      customers.Add(n, "Customer " + n);
      queue.push_back({n, "Customer " + n, "", ""});
    }
  }
  LabelPrintOutcome Print(const LabelLayout& layout, int start = 1, int copies = 1) {
    return PrintLabels(canvas, {layout, start, copies, company}, queue, customers);
  }
  // Where each label's name was drawn, page by page.
  std::vector<std::pair<int, int>> NamesOn(std::size_t page) const {
    std::vector<std::pair<int, int>> out;
    for (const auto& t : canvas.Texts(page))
      if (t.text.rfind("Customer ", 0) == 0) out.emplace_back(t.x, t.y);
    return out;
  }
};

TEST(LabelSheet, StartLabelFivePrintsAtRowTwoColumnTwo) {
  Fixture f;
  f.Queue(1);
  const LabelPrintOutcome o = f.Print(Sheet(), 5);
  ASSERT_TRUE(o.Printed()) << o.message;
  ASSERT_EQ(f.NamesOn(0).size(), 1u);
  EXPECT_EQ(f.NamesOn(0)[0], std::make_pair(19 + 825, 105 + 300));
  EXPECT_EQ(f.canvas.Title(), "Mailing Labels");
}

TEST(LabelSheet, LabelsRunAcrossThenDownAndANewSheetOnlyForALabelThatIsPrinted) {
  const struct {
    int entries, copies, start;
    std::size_t pages, lastPageLabels;
  } cases[] = {
      {16, 2, 1, 2, 2},   // 32 labels: a full sheet and two on the second, no empty page after
      {15, 2, 1, 1, 30},  // exactly one sheet: nothing is ejected after it
      {1, 30, 1, 1, 30},
      {3, 1, 29, 2, 1},   // labels 29 and 30, then the first of a new sheet
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.entries) + " x " + std::to_string(c.copies) + " from " + std::to_string(c.start));
    Fixture f;
    f.Queue(c.entries);
    const LabelPrintOutcome o = f.Print(Sheet(), c.start, c.copies);
    ASSERT_TRUE(o.Printed()) << o.message;
    EXPECT_EQ(o.labels, c.entries * c.copies);
    EXPECT_EQ(o.pages, int(c.pages));
    ASSERT_EQ(f.canvas.PageCount(), c.pages);
    EXPECT_EQ(f.NamesOn(c.pages - 1).size(), c.lastPageLabels);
  }
  // The order on the first sheet: 1 2 3 across, then the next row.
  Fixture f;
  f.Queue(16);
  ASSERT_TRUE(f.Print(Sheet(), 1, 2).Printed());
  const auto names = f.NamesOn(0);
  ASSERT_EQ(names.size(), 30u);
  EXPECT_EQ(names[0], std::make_pair(19, 105));
  EXPECT_EQ(names[1], std::make_pair(19 + 825, 105));  // the second copy of the first customer
  EXPECT_EQ(names[2], std::make_pair(19 + 1650, 105));
  EXPECT_EQ(names[3], std::make_pair(19, 405));
  EXPECT_EQ(names[29], std::make_pair(19 + 1650, 105 + 2700));
  EXPECT_EQ(f.NamesOn(1), (std::vector<std::pair<int, int>>{{19, 105}, {19 + 825, 105}}));
}

TEST(LabelSheet, WithoutAReturnAddressTheBlockStartsAtTheLabelCorner) {
  Fixture f;
  f.Queue(1);
  LabelLayout l = Sheet();
  ASSERT_TRUE(f.Print(l).Printed());
  EXPECT_EQ(f.canvas.ReadingLines(0), (std::vector<std::string>{"Customer 1001", "Bill 1 of 1001", "Bill 2 of 1001",
                                                                "Bill 3 of 1001", "Bill 4 of 1001"}));
  const auto& texts = f.canvas.Texts(0);
  EXPECT_EQ(texts[0].x, 19);
  EXPECT_EQ(texts[0].y, 105);
  EXPECT_EQ(texts[4].y, 105 + 4 * 50);

  // The shipping address, when the layout says so.
  Fixture s;
  s.customers.Add("7", "Customer 7", true);
  s.queue.push_back({"7", "", "", ""});
  l.UseShippingAddress = true;
  ASSERT_TRUE(s.Print(l).Printed());
  EXPECT_EQ(s.canvas.ReadingLines(0)[1], "Ship 1 of 7");
}

TEST(LabelSheet, TheReturnAddressStandsAboveTheCaptionedRecipient) {
  test::TempFolder folder;
  Fixture f;
  f.Queue(1);
  LabelLayout l = Sheet();
  l.PrintReturnAddress = true;
  l.PrintLine = true;
  l.LineWidth = "3";
  l.SendToCaption = "To:";
  ASSERT_TRUE(f.Print(l).Printed());
  const auto& texts = f.canvas.Texts(0);
  ASSERT_EQ(texts.size(), 3u + 1 + 5);
  EXPECT_EQ(texts[0].text, "Tally Co");
  EXPECT_EQ(texts[0].x, 19);
  EXPECT_EQ(texts[0].y, 105);
  EXPECT_EQ(texts[1].y, 155);
  EXPECT_EQ(texts[3].text, "To:");
  EXPECT_EQ(texts[3].y, 105 + 300);
  EXPECT_EQ(texts[4].text, "Customer 1001");
  EXPECT_EQ(texts[4].x, 19 + 4 * 25);  // the width of "To:X"
  EXPECT_EQ(texts[4].y, 105 + 300);
  EXPECT_EQ(texts[5].x, 19 + 100);
  const auto& ops = f.canvas.Page(0);
  EXPECT_NE(std::find(ops.begin(), ops.end(), "Pen 3"), ops.end());
  EXPECT_NE(std::find(ops.begin(), ops.end(), "Line -6 375 675 375"), ops.end());

  // A picture five lines tall, as wide as its proportions make it, moves the company's lines.
  const std::string bmp = folder / "logo.bmp";
  {
    std::string header(54, '\0');
    header[0] = 'B', header[1] = 'M', header[14] = 40, header[18] = 60, header[22] = 50;
    std::ofstream(bmp, std::ios::binary) << header;
  }
  EXPECT_EQ(BitmapSize(bmp), std::make_pair(60, 50));
  l.BitmapPath = bmp;
  l.PrintLine = false;
  Fixture p;
  p.Queue(1);
  ASSERT_TRUE(p.Print(l).Printed());
  const auto& pops = p.canvas.Page(0);
  EXPECT_NE(std::find(pops.begin(), pops.end(), "Bitmap 19 105 319 355 " + bmp), pops.end());
  EXPECT_EQ(p.canvas.Texts(0)[0].x, 19 + 300 + 25);
  EXPECT_EQ(std::count_if(pops.begin(), pops.end(), [](const std::string& op) { return op.rfind("Line", 0) == 0; }), 0);
}

TEST(LabelSheet, AGoneCustomerIsSkippedAndNamedAndTheOthersPrint) {
  Fixture f;
  f.Queue(3);
  f.queue.insert(f.queue.begin() + 1, {"1001A", "Renumbered", "", ""});
  const LabelPrintOutcome o = f.Print(Sheet());
  ASSERT_TRUE(o.Printed());
  EXPECT_EQ(o.labels, 3);
  EXPECT_EQ(o.missing, std::vector<std::string>{"1001A"});
  EXPECT_EQ(f.NamesOn(0)[1], std::make_pair(19 + 825, 105));  // the next customer takes the next label
  EXPECT_EQ(MissingCustomersText(o.missing),
            "Customer 1001A is no longer in the customer file; its label was not printed.");
  EXPECT_EQ(MissingCustomersText({"1", "2"}),
            "2 customers are no longer in the customer file; their labels were not printed: 1, 2.");

  Fixture none;
  none.queue.push_back({"9", "Gone", "", ""});
  const LabelPrintOutcome n = none.Print(Sheet());
  EXPECT_EQ(n.result, LabelPrintOutcome::Result::NoneFound);
  EXPECT_EQ(n.missing, std::vector<std::string>{"9"});
  EXPECT_FALSE(none.canvas.Started());
}

TEST(LabelSheet, WhatCannotBePrintedStartsNoJobAndAFailedJobIsNoSuccess) {
  const struct {
    const char* what;
    LabelLayout layout;
    int start;
    std::string message;
  } refusals[] = {
      {"zero rows", [] { auto l = Sheet(); l.RowsDown = "0"; return l; }(), 1,
       "Rows Down is \"0\"; it must be a whole number of at least 1. Unable to print."},
      {"start beyond the sheet", Sheet(), 31,
       "Start at Label is 31, but a sheet of 3 x 10 labels has labels 1 to 30. Unable to print."},
      {"rows below the page", Sheet(3, 12), 1,  // 11 rows still start on the page (at 3105)
       "Row 12 of the sheet would start 3405 units from the top, beyond the page's printable height of 3150. "
       "Unable to print."},
      {"columns beyond the page", Sheet(4, 10), 1,
       "Column 4 of the sheet would start 2494 units from the left, beyond the page's printable width of 2400. "
       "Unable to print."},
  };
  for (const auto& r : refusals) {
    SCOPED_TRACE(r.what);
    Fixture f;
    f.Queue(2);
    const LabelPrintOutcome o = f.Print(r.layout, r.start);
    EXPECT_EQ(o.result, LabelPrintOutcome::Result::Refused);
    EXPECT_EQ(o.message, r.message);
    EXPECT_FALSE(f.canvas.Started());
  }

  Fixture begin;
  begin.Queue(1);
  begin.canvas.FailBeginDoc();
  EXPECT_EQ(begin.Print(Sheet()).result, LabelPrintOutcome::Result::Failed);
  Fixture end;
  end.Queue(1);
  end.canvas.FailEndDoc();
  const LabelPrintOutcome e = end.Print(Sheet());
  EXPECT_EQ(e.result, LabelPrintOutcome::Result::Failed);
  EXPECT_EQ(e.message, "Printing failed.");
  Fixture read;
  read.Queue(2);
  read.customers.failAt = 2;
  const LabelPrintOutcome rf = read.Print(Sheet());
  EXPECT_EQ(rf.result, LabelPrintOutcome::Result::Failed);
  EXPECT_EQ(rf.message, "The customer file could not be read (status 9). Nothing was printed.");
  EXPECT_FALSE(read.canvas.Started());
}

}  // namespace
}  // namespace tf::correspondence
