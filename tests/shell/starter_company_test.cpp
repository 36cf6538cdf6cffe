// The company a new data folder starts with prints usable envelopes and forms: an envelope of
// its customer lays every line at its own place inside a No. 10 envelope (9.5 x 4.125 inches,
// 2850 x 1237 printer units), in a real font.

#include <gtest/gtest.h>

#include <span>
#include <string>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/recording_canvas.h"
#include "common/stored_font.h"
#include "customers/customer_envelope.h"
#include "records/company_record.h"
#include "records/customer_record.h"
#include "shell/starter_company.h"

namespace tf::shell {
namespace {

namespace company = records::company;
namespace customer = records::customer;

constexpr int kEnvelopeWidth = 2850;   // 9.5 in
constexpr int kEnvelopeHeight = 1237;  // 4.125 in

TEST(StarterCompanyTest, AnEnvelopePutsEveryLineInItsOwnPlaceInsideANumberTenEnvelope) {
  common::RecordBuffer co = StarterCompanyRecord();
  const std::span<std::uint8_t> c(co.data(), co.size());
  common::WriteText(c, company::kCompanyName, "Starter Co");
  for (common::TextField line : {company::kAddress1, company::kAddress2, company::kAddress3, company::kAddress4})
    common::WriteText(c, line, "Return line");
  common::RecordBuffer cu(customer::kCustomerRecordLength);
  const std::span<std::uint8_t> u(cu.data(), cu.size());
  common::WriteText(u, customer::kCustomerName, "Recipient");
  for (common::TextField line : customer::kBillAddress) common::WriteText(u, line, "Recipient line");

  common::RecordingCanvas canvas;
  ASSERT_TRUE(customers::PrintEnvelope(canvas, co, cu));
  ASSERT_EQ(canvas.PageCount(), 1u);
  const auto& texts = canvas.Texts(0);
  ASSERT_EQ(texts.size(), 10u);  // return address (name + 4 lines) and recipient (name + 4 lines)
  // The envelope's long side runs across the page.
  EXPECT_EQ(common::ReadText(co, company::kEnvOrientation), "L");

  const common::FontSpec font = common::ReadFontSpec(co, company::kEnvelopeFont);
  EXPECT_FALSE(font.face.empty());
  EXPECT_GE(font.size, 9);
  EXPECT_LE(font.size, 14);
  const int lineHeight = font.size * 300 / 72;  // printer units a line of this font needs
  for (size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(texts[i].text);
    EXPECT_GT(texts[i].x, 0);
    EXPECT_GT(texts[i].y, 0);
    EXPECT_LE(texts[i].y + lineHeight, kEnvelopeHeight);
    EXPECT_LT(texts[i].x + 1000, kEnvelopeWidth);  // room for a line of some 30 characters
    for (size_t j = 0; j < i; ++j) {
      if (texts[j].x == texts[i].x) {
        EXPECT_GE(texts[i].y - texts[j].y, lineHeight) << texts[j].text;
      }
    }
  }
  // The recipient stands clear of the return address, to its right and below it.
  EXPECT_GE(texts[5].x, texts[0].x + 900);
  EXPECT_GT(texts[5].y, texts[4].y + lineHeight);
}

TEST(StarterCompanyTest, EveryDocumentFontIsARealFont) {
  const common::RecordBuffer co = StarterCompanyRecord();
  for (size_t i = 0; i < company::kDocumentFontCount; ++i) {
    const common::FontSpec font = common::ReadFontSpec(co, company::DocumentFontField(company::DocumentFont(i)));
    SCOPED_TRACE(i);
    EXPECT_FALSE(font.face.empty());
    EXPECT_GE(font.size, 6);
    EXPECT_LE(font.size, 24);
  }
  // The new company's own values are kept.
  EXPECT_EQ(common::ReadText(co, company::kNextInvoiceNumber), "100");
  EXPECT_EQ(common::ReadText(co, company::kCompanyNumber), "1");
}

}  // namespace
}  // namespace tf::shell
