#include "maintenance/passwords.h"

#include <sodium.h>

#include <algorithm>
#include <filesystem>
#include <new>
#include <system_error>

#include "common/side_file.h"
#include "common/stored_text.h"
#include "common/text.h"

namespace tf::maintenance {
namespace {

constexpr std::string_view kHashPrefix = "$argon2";
constexpr std::string_view kConfirmCaption = "Please Confirm";
constexpr std::string_view kSetupCaption = "Password Setup";

void StartSodium() {
  if (sodium_init() < 0) throw std::bad_alloc();
}

bool LooksLikeHash(std::string_view text) {
  if (text.size() < kHashPrefix.size() || text.size() >= crypto_pwhash_STRBYTES) return false;
  if (text.substr(0, kHashPrefix.size()) != kHashPrefix) return false;
  return std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 127; });
}

// The typed text as stored: trimmed, Latin-1; nothing when Latin-1 cannot hold it.
std::optional<std::string> StoredForm(std::string_view typed) {
  return common::Utf8ToLatin1(common::TrimBoth(typed));
}

}  // namespace

StoredPassword ReadPasswordFile() {
  StoredPassword stored;
  std::error_code ec;
  if (!std::filesystem::exists(std::string(kPasswordFile), ec) && !ec) return stored;
  const std::string bytes = common::ReadWholeFile(std::string(kPasswordFile));
  if (bytes.size() == kLegacyPasswordFileSize && static_cast<unsigned char>(bytes[0]) <= kPasswordMaxLength) {
    stored.kind = StoredPassword::Kind::Legacy;
    stored.legacy = bytes.substr(1, static_cast<unsigned char>(bytes[0]));
  } else if (LooksLikeHash(bytes)) {
    stored.kind = StoredPassword::Kind::Hashed;
    stored.hash = bytes;
  } else {
    stored.kind = StoredPassword::Kind::Damaged;
  }
  return stored;
}

bool PasswordMatches(const StoredPassword& stored, std::string_view typed) {
  const std::optional<std::string> text = StoredForm(typed);
  if (!text) return false;
  switch (stored.kind) {
    case StoredPassword::Kind::Legacy:
      return *text == common::TrimBoth(stored.legacy);
    case StoredPassword::Kind::Hashed:
      StartSodium();
      return crypto_pwhash_str_verify(stored.hash.c_str(), text->data(), text->size()) == 0;
    case StoredPassword::Kind::None:
    case StoredPassword::Kind::Damaged:
      break;
  }
  return false;
}

void SavePassword(std::string_view latin1) {
  StartSodium();
  const std::string text = common::TrimBoth(latin1);
  char hash[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(hash, text.data(), text.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                        crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
    throw std::bad_alloc();
  common::ReplaceFile(std::string(kPasswordFile), std::string_view(hash));
  sodium_memzero(hash, sizeof hash);
}

bool CheckPassword(const PasswordDialog& dialog, common::Prompter& prompter) {
  StoredPassword stored;
  try {
    stored = ReadPasswordFile();
  } catch (const std::system_error&) {
    stored.kind = StoredPassword::Kind::Damaged;
  }
  if (stored.kind == StoredPassword::Kind::None) return true;
  if (stored.kind == StoredPassword::Kind::Damaged) {
    prompter.Inform(kDamagedPasswordFile, kInvalidPasswordCaption);
    return false;
  }
  const PasswordEntry entry = dialog(kPasswordRequiredTitle, false);
  if (PasswordMatches(stored, entry.text)) return entry.ok;
  prompter.Inform(kWrongPassword, kInvalidPasswordCaption);
  return false;
}

void PasswordSetup(const PasswordDialog& dialog, common::Prompter& prompter) {
  StoredPassword stored;
  try {
    stored = ReadPasswordFile();
  } catch (const std::system_error&) {
    stored.kind = StoredPassword::Kind::Damaged;
  }
  if (stored.kind != StoredPassword::Kind::None) {
    if (!prompter.AskYesNo("A Password exists. Do you want to change it?", kConfirmCaption)) return;
    if (stored.kind == StoredPassword::Kind::Damaged) {
      prompter.Inform(kDamagedPasswordFile, kInvalidPasswordCaption);
      return;
    }
    const PasswordEntry current = dialog("Enter the Current Password", true);
    if (!current.ok) return;
    if (!PasswordMatches(stored, current.text)) {
      prompter.Inform("You did not enter the correct password. Unable to change password.", "Incorrect Password");
      return;
    }
    prompter.Inform(
        "You will need to enter a new password TWO times. Do not enter any password (twice) if you want to remove "
        "the password protection.",
        kSetupCaption, common::PromptIcon::Information);
  } else if (!prompter.AskYesNo("Once you create a password you must enter it EXACTLY or you will not be able to "
                                "use the billing system. Continue?",
                                kConfirmCaption)) {
    return;
  }
  const PasswordEntry first = dialog(kSetupCaption, true);
  if (!first.ok) return;
  const PasswordEntry second = dialog("Re-enter Your Password", true);
  if (!second.ok) return;
  const std::string one = common::TrimBoth(first.text), two = common::TrimBoth(second.text);
  if (one != two) {
    prompter.Inform("The two passwords do not match. Unable to setup password. Try again.", kInvalidPasswordCaption);
    return;
  }
  const common::Latin1Conversion latin1 = common::ConvertToLatin1(one);
  if (!latin1.ok()) {
    std::string why = latin1.unstorable ? common::DescribeCharacter(*latin1.unstorable) + " cannot be stored"
                                        : "the text is not valid";
    prompter.Inform("A password can hold only the letters, digits and signs of Western European languages "
                    "(Latin-1): " + why + ". The password was not changed.",
                    kInvalidPasswordCaption);
    return;
  }
  if (latin1.latin1.size() > kPasswordMaxLength) {
    prompter.Inform("A password has at most 20 characters. The password was not changed.", kInvalidPasswordCaption);
    return;
  }
  if (latin1.latin1.size() < 2) {
    std::error_code ec;
    std::filesystem::remove(std::string(kPasswordFile), ec);
    if (ec) {
      prompter.Inform("The password file could not be removed (" + ec.message() +
                          "). The password protection is still on.",
                      kSetupCaption);
      return;
    }
    prompter.Inform("You did not enter password. Any password has been cleared. This system is no longer password "
                    "protected.",
                    "Password Removed", common::PromptIcon::Information);
    return;
  }
  try {
    SavePassword(latin1.latin1);
  } catch (const std::system_error& e) {
    prompter.Inform(std::string("The new password could not be saved (") + e.what() +
                        "). The previous password is unchanged.",
                    kSetupCaption);
    return;
  } catch (const std::bad_alloc&) {
    prompter.Inform("The new password could not be saved: there is not enough memory. The previous password is "
                    "unchanged.",
                    kSetupCaption);
    return;
  }
  prompter.Inform("Your new password has been set. You will need to enter it EXACTLY as you typed it next time you "
                  "want to access the system.",
                  kSetupCaption, common::PromptIcon::Information);
}

}  // namespace tf::maintenance
