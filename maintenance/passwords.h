#pragma once
// The one password of the installation. Its file "vq1confg.dat" in the data folder switches the
// protection on: while it exists the password must be typed to start the program, to edit or
// delete a company and to delete paid invoices.
//
// The file holds a salted slow hash of the password (libsodium's crypto_pwhash string), never
// the password itself. A file of the older layout (one 21-byte record: a length byte and up to
// 20 characters of plain text) is still accepted and is replaced by the hashed form at the next
// change. Anything else in the file (too short, too long, a hash that is no hash) is damage: the
// check then fails rather than let anyone in. The file is replaced whole (a failed write keeps
// the previous password), passwords are Latin-1 text of at most 20 characters compared exactly
// after trimming blanks at both ends, and no message ever shows one.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "common/prompter.h"

namespace tf::maintenance {

inline constexpr std::string_view kPasswordFile = "vq1confg.dat";
inline constexpr std::size_t kPasswordMaxLength = 20;
inline constexpr std::size_t kLegacyPasswordFileSize = 21;

inline constexpr std::string_view kPasswordRequiredTitle = "Password Required";
inline constexpr std::string_view kWrongPassword = "You did not enter the correct password.";
inline constexpr std::string_view kInvalidPasswordCaption = "Invalid Password";
inline constexpr std::string_view kDamagedPasswordFile =
    "The password file vq1confg.dat is damaged, so the password cannot be checked. Restore the file from a backup, "
    "or remove it to switch the password protection off.";

struct StoredPassword {
  enum class Kind { None, Legacy, Hashed, Damaged };
  Kind kind = Kind::None;
  std::string legacy;  // Legacy: the stored text (Latin-1)
  std::string hash;    // Hashed: the crypto_pwhash string
};

// The password file of the working directory. Throws std::system_error when it exists but
// cannot be read.
StoredPassword ReadPasswordFile();

// Whether `typed` (UTF-8, as the dialog gives it) is the stored password: both trimmed of
// blanks, compared exactly. Never for a damaged or missing file.
bool PasswordMatches(const StoredPassword& stored, std::string_view typed);

// Replaces the password file with the hash of `latin1` (trimmed). Throws std::system_error
// (the previous file is then unchanged) or std::bad_alloc when the hash cannot be made.
void SavePassword(std::string_view latin1);

// What the password dialog TPWDlg gives back.
struct PasswordEntry {
  bool ok = false;   // closed with OK
  std::string text;  // as typed, UTF-8
};
// Shows the dialog with a title; `showHelp` tells whether its help button is shown.
using PasswordDialog = std::function<PasswordEntry(std::string_view title, bool showHelp)>;

// The check before a protected action (and at start-up): passes at once without a password
// file; otherwise asks for the password. Passes only when the typed password is right and the
// dialog closed with OK; a wrong one says so first. A damaged or unreadable file says so and
// fails.
bool CheckPassword(const PasswordDialog& dialog, common::Prompter& prompter);

// "Password Setup": sets, changes or removes the password (two entries that agree; two entries
// shorter than two characters remove it).
void PasswordSetup(const PasswordDialog& dialog, common::Prompter& prompter);

}  // namespace tf::maintenance
