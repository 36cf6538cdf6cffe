#pragma once
// What the printed and e-mailed invoice read from the company record: margins, rules, boxes,
// titles, headings, marks, messages and the six document fonts.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "common/stored_font.h"

namespace tf::invoicing::documents {

struct LayoutOptions {
  // The company block.
  std::string companyName;
  std::array<std::string, 5> companyAddress;

  // Positions in printer units; blank or unreadable numbers are 0.
  int leftMargin = 0;
  int topMargin = 0;
  int pushAddressRight = 0;
  int lineWidth = 1;
  int boxTop = 0;
  int maxLines = 0;
  int invoiceCopies = 1;

  bool boxInvoices = false;
  bool horizontalLines = false;
  bool verticalLines = false;
  bool shading = false;
  bool letterhead = false;
  bool printLogo = false;
  std::string logoPath;
  bool productCodes = false;
  bool moveDownTotals = false;
  bool duplicateNotice = false;
  bool noLargeNumbers = false;
  bool omitCompanyName = false;
  bool printSalesMessage = false;
  std::array<std::string, 4> salesMessage;
  bool customerAging = false;
  bool printPackingSlip = false;
  bool printFileCopies = false;
  bool labelQueueOnBatchPrint = false;

  std::string invoiceTitle;
  std::string packingSlipTitle;
  std::string fileCopyTitle;
  std::string codeHeading;
  std::string quantityHeading;
  std::string descriptionHeading;
  std::string unitCostHeading;
  std::string extensionHeading;
  std::string taxHeading;
  std::string memoHeading;
  std::string shipToCaption;
  std::array<std::string, 4> agingCaption;  // the three captions and "Over " + AgingDays3 + ":"

  // E-mail.
  std::string emailAddress;
  bool linesOnEMail = false;
  bool emailIncludeNoAddress = false;

  // Body, caption headers, company address, customer address, aging analysis, sales message.
  std::array<common::FontSpec, 6> fonts;

  static LayoutOptions FromCompany(std::span<const std::uint8_t> company);
};

}  // namespace tf::invoicing::documents
