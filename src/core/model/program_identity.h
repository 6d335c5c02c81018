#pragma once
// Who the tool is: read once at startup from the product family file.

#include <string>

namespace ostrel {

struct ProgramIdentity {
  std::string LogoImage;     // LOGOIMAGE
  std::string ProgramId;     // PROGRAMID: heads the main window title
  std::string ProgramName;   // PROGRAMNAME: message box title, settings key
  std::string ModelId;       // MODELID: file-name prefix of the family's model files
  std::string InstallerId;   // INSTALLERID
  std::string CorporateId;   // CORPORATEID
  std::string MainHelp;      // MAINHELP
  std::string Server;        // SERVER: host or host:port of the configuration reports
  std::string ServerFolder;  // SUBDIR
  std::string SupportMail;   // SUPPORTMAIL: the maker's support mailbox
};

}  // namespace ostrel
