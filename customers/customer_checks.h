#pragma once
// The checks a customer passes before it is saved, in the editor's order. The customer import
// runs the same checks on every row.

#include <optional>
#include <string>
#include <string_view>

#include "customers/customer_form.h"
#include "engine/core/engine.h"

namespace tf::customers {

inline constexpr std::string_view kNameMissingText = "You must enter a customer name.";
inline constexpr std::string_view kNameMissingCaption = "Customer Name";
inline constexpr std::string_view kBadEMailText =
    "The customer e-mail address does not have the @ sign included. Bad e-mail address.";
inline constexpr std::string_view kBadEMailCaption = "Customer E-Mail Address";
inline constexpr std::string_view kNumberTakenText =
    "That customer number already exists. You will need to use a different number.";
inline constexpr std::string_view kNumberTakenCaption = "Customer Number";
inline constexpr std::string_view kNameTakenText =
    "That customer name already exists. You should not enter the same customer name with a "
    "different customer number.";
inline constexpr std::string_view kNameTakenCaption = "Duplicate Customer Name";
inline constexpr std::string_view kBadCreditLimitText = "The CREDIT LIMIT amount has an invalid value.";
// A blank number would be stored as one, and the next proposal would then repeat a number in use.
inline constexpr std::string_view kNumberMissingText = "You must enter a customer number.";

struct CheckFailure {
  CustomerControl focus = CustomerControl::None;
  std::string text;
  std::string caption;
};

// Who already holds a number or a name.
class CustomerLookup {
 public:
  virtual ~CustomerLookup() = default;
  // True when a customer's number equals this one (trimmed, upper-cased).
  virtual bool HasNumber(std::string_view number) = 0;
  // The number (trimmed, upper-cased) of the customer whose name key equals this one's (the
  // trimmed, upper-cased name's first 30 characters: names equal so far cannot both be
  // stored), if any.
  virtual std::optional<std::string> NumberOfName(std::string_view name) = 0;
};

// The customers of an open customer file block.
class FileCustomerLookup : public CustomerLookup {
 public:
  explicit FileCustomerLookup(engine::FileBlock* handle) : handle_(handle) {}
  bool HasNumber(std::string_view number) override;
  std::optional<std::string> NumberOfName(std::string_view name) override;

 private:
  engine::FileBlock* handle_;
};

// How a check names a field: by the editor's caption ("Customer / Company Name") or, for an
// import, by the file's column ("CustomerName").
enum class FieldNames { Captions, Columns };

// The checks in order: no character typed that a record cannot hold; name given; the short
// name filled from the name when empty (this changes `form`); number given; every text fits
// its field without control characters (notes with their line breaks made CR LF, counted two,
// which changes `form`); e-mail holds "@" when given; number not another customer's; name not
// another customer's; credit limit a valid amount when given (commas only as thousands
// separators). `editedNumber` is the trimmed, upper-cased number of the customer being
// edited, or nothing while adding: a customer may keep its own number and name, a new one may
// take none that exists.
std::optional<CheckFailure> CheckCustomerForm(CustomerForm& form,
                                              const std::optional<std::string>& editedNumber,
                                              CustomerLookup& lookup, FieldNames names = FieldNames::Captions);

}  // namespace tf::customers
