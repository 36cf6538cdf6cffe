// The manual pages, written in roff from the same texts as --help (see help_text.h).

#include <span>
#include <string>
#include <string_view>

#include "app/cli/commands.h"
#include "app/cli/help_text.h"
#include "common/program_version.h"

namespace tf::cli {
namespace {

// Text set in roff: a backslash is written as the escape for one, a minus sign is written as one (so that options
// can be copied from the page and searched for), and a line never starts with a control
// character.
std::string Roff(std::string_view text) {
  std::string out;
  bool lineStart = true;
  for (char ch : text) {
    if (lineStart && (ch == '.' || ch == '\'')) out += "\\&";
    if (ch == '\\') out += "\\e";
    else if (ch == '-') out += "\\-";
    else out += ch;
    lineStart = ch == '\n';
  }
  return out;
}

// A summary as a sentence of the page.
std::string Sentence(std::string_view text) {
  std::string out = Roff(text);
  if (!out.empty() && out.back() != '.') out += '.';
  return out;
}

void Header(std::ostream& out, std::string_view name, std::string_view purpose) {
  out << ".TH " << Roff(std::string(name)) << " 1 \"\" \"Tallyfold " << common::kProgramVersion
      << "\" \"User Commands\"\n";
  out << ".SH NAME\n" << Roff(name) << " \\- " << Roff(purpose) << "\n";
}

void Options(std::ostream& out, std::span<const app::OptionText> options) {
  out << ".SH OPTIONS\n";
  for (const app::OptionText& option : options) {
    std::string_view name = option.name;
    std::size_t space = name.find(' ');
    out << ".TP\n.B " << Roff(name.substr(0, space));
    if (space != std::string_view::npos) out << " \\fI" << Roff(name.substr(space + 1)) << "\\fR";
    out << "\n" << Roff(option.text) << "\n";
  }
}

void Files(std::ostream& out) {
  out << ".SH FILES\n.TP\n.I ~/.local/share/tallyfold\n"
      << "The default data folder: the companies' data files (.DAT) with their index files (.IX), the "
         "company list and the settings.\n"
      << ".TP\n.I /usr/share/tallyfold/help\nThe user manual the program's help window opens.\n";
  out << ".SH ENVIRONMENT\n.TP\n.B XDG_DATA_HOME\nWhere the default data folder lies "
         "($XDG_DATA_HOME/tallyfold).\n.TP\n.B HOME\nUsed when XDG_DATA_HOME is not set.\n";
}

}  // namespace

void WriteProgramManualPage(std::ostream& out) {
  Header(out, "tallyfold", app::kProgramPurpose);
  out << ".SH SYNOPSIS\n" << Roff(app::kProgramSynopsis) << "\n";
  out << ".SH DESCRIPTION\n" << Roff(app::kProgramDescription) << "\n";
  Options(out, app::kProgramOptions);
  Files(out);
  out << ".SH SEE ALSO\n.BR tallyfold\\-cli (1)\n";
}

void WriteCliManualPage(std::ostream& out, const Extensions& extensions) {
  Header(out, "tallyfold-cli", kCliPurpose);
  out << ".SH SYNOPSIS\n" << Roff(kCliSynopsis) << "\n";
  out << ".SH DESCRIPTION\n" << Roff(kCliDescription) << "\n";
  Options(out, kCliOptions);
  out << ".SH COMMANDS\n";
  for (const Command& command : Commands()) {
    out << ".TP\n.B " << Roff(command.name);
    if (*command.usage) out << " " << Roff(command.usage);
    out << "\n" << Sentence(command.summary) << "\n";
  }
  out << ".SH RECORD KINDS\nThe kinds of record that dump shows field by field and check compares with "
         "their keys:\n";
  for (const records::RecordKind& kind : extensions.recordKinds.All())
    out << ".TP\n.B " << Roff(kind.name) << "\nfile blocks " << Roff(kind.blockPattern) << "\n";
  out << ".SH EXIT STATUS\n" << Roff(kCliExitStatus) << "\n";
  Files(out);
  out << ".SH SEE ALSO\n.BR tallyfold (1)\n";
}

}  // namespace tf::cli
