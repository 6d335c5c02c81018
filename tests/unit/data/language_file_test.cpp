// The shipped language file, read through the tool's own reader: every key the
// tool asks for is there once, in both languages, and the format directives
// agree with what the callers fill in.

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/support/language_table.h"
#include "core/support/text_codec.h"
#include "test_support.h"

namespace ostrel {
namespace {

std::filesystem::path languageFilePath() {
  return test::sourceDataDir() / "Models" / "Ostrel_Language.txt";
}

void addNumbered(std::vector<std::string>& keys, std::string_view prefix,
                 std::initializer_list<std::pair<int, int>> ranges) {
  for (const auto& [first, last] : ranges) {
    for (int n = first; n <= last; ++n) keys.push_back(std::string(prefix) + std::to_string(n));
  }
}

// Every key the tool looks up.
const std::vector<std::string>& keysInUse() {
  static const std::vector<std::string> keys = [] {
    std::vector<std::string> k = {"IDD_ALTERNATEPAGE",
                                  "IDD_BIGDISPLAY",
                                  "IDD_BUSYWINDOW",
                                  "IDD_CALPAGES",
                                  "IDD_DIAGNOSTICS",
                                  "IDD_DIMENSIONFORM",
                                  "IDD_DIRECTENTRY",
                                  "IDD_ERRORDETAIL",
                                  "IDD_FORMULAENTRY",
                                  "IDD_GENERICFORM",
                                  "IDD_HELP",
                                  "IDD_INDYRELAYS",
                                  "IDD_MAINFORM_STUBBEDMODE",
                                  "IDD_SELECTPROGRAM",
                                  "IDD_VIEWCURVE",
                                  "IDD_SETFILENAME",
                                  "IDD_STRAPPINGDLG",
                                  "IDD_UPDATEPROGRAM",
                                  "IDD_VIEWGUIDE",
                                  "IDCANCEL",
                                  "IDOK",
                                  "IDOK_APPLY",
                                  "IDC_ACTIVITY",
                                  "IDC_ADDRESS_LABEL",
                                  "IDC_ADJUSTCAPACITYCHECKBOX",
                                  "IDC_ADVANCED",
                                  "IDC_AMPLITUDE",
                                  "IDC_BROWSE2",
                                  "IDC_CANCEL",
                                  "IDC_CAPACITYBTN",
                                  "IDC_CFLABEL",
                                  "IDC_CHANGESHAPEBTN",
                                  "IDC_CHECK_TXT",
                                  "IDC_CONFIGFILE",
                                  "IDC_CONFIGWINDOW",
                                  "IDC_CURRENT",
                                  "IDC_CURRENTRANGELABEL",
                                  "IDC_CURRENTVERSIONLABEL",
                                  "IDC_CUSTDP",
                                  "IDC_CUSTPAGE",
                                  "IDC_DEFAULTCFG",
                                  "IDC_DETAILS",
                                  "IDC_DIMENSIONSGROUPBOX",
                                  "IDC_DIMENSIONUNITSLABEL",
                                  "IDC_DISCLAIMER",
                                  "IDC_DISTANCE_ECHOCURVE_FT",
                                  "IDC_DISTANCE_ECHOCURVE_MM",
                                  "IDC_DISTANCE_TXT",
                                  "IDC_DSLABEL",
                                  "IDC_ERASEDISTURBANCESCAN",
                                  "IDC_FACTDP",
                                  "IDC_FACTPAGE",
                                  "IDC_FHLABEL",
                                  "IDC_FHLABEL_ST",
                                  "IDC_FLOWRATEGROUPBOX",
                                  "IDC_FMWEFN_TXT",
                                  "IDC_FRAME_STARTUP",
                                  "IDC_FRAME_STATUS",
                                  "IDC_GWRDISTANCE_TXT",
                                  "IDC_GWRLOWESTCURRENTBTN",
                                  "IDC_CURVE_CAPACITY",
                                  "IDC_CURVE_MAX",
                                  "IDC_CURVE_MIN",
                                  "IDC_CURVE_SAVEFAILED",
                                  "IDC_CURVE_SAVEPICTURE",
                                  "IDC_CURVE_SAVETABLE",
                                  "IDC_GWRMAXCURRENT_LABEL",
                                  "IDC_ROWSLABEL_ST",
                                  "IDC_VIEWCURVE",
                                  "IDC_GWRMAXFILLHEIGHT_LABEL",
                                  "IDC_GWRMAXVOLUME_LABEL",
                                  "IDC_GWRMINCURRENT_LABEL",
                                  "IDC_GWRMINFILLHEIGHT_LABEL",
                                  "IDC_GWRMINVOLUME_LABEL",
                                  "IDC_GWROFFSETGROUPBOX",
                                  "IDC_HELP_OPENCHANNEL",
                                  "IDC_HELP_ST",
                                  "IDC_HEXDISP",
                                  "IDC_HISTDP",
                                  "IDC_HW_MODEL",
                                  "IDC_KIND_GUIDEDWAVE",
                                  "IDC_KIND_PULSERADAR",
                                  "IDC_KIND_ULTRASONIC",
                                  "IDC_KIND_UTYPE",
                                  "IDC_IND1_OFF",
                                  "IDC_IND1_ON",
                                  "IDC_INDEPENDENTBTN",
                                  "IDC_INDRELAY1",
                                  "IDC_INDRELAY2",
                                  "IDC_INDRELAY3",
                                  "IDC_INDRELAY4",
                                  "IDC_INTEGERDISP",
                                  "IDC_MAXFHLABEL_ST",
                                  "IDC_MEASURED_TXT",
                                  "IDC_MINFHLABEL_ST",
                                  "IDC_MINMAXFLOWRATEBTN",
                                  "IDC_MNLABEL",
                                  "IDC_MODELFILE",
                                  "IDC_PAGE_PENDING",
                                  "IDC_MODELDESCRIPTION",
                                  "IDC_NAMING_INST",
                                  "IDC_NO",
                                  "IDC_OCMDP",
                                  "IDC_OK",
                                  "IDC_OPENFILE",
                                  "IDC_OPTIN",
                                  "IDC_PLLABEL_ST",
                                  "IDC_PNSN",
                                  "IDC_PRINTFILE",
                                  "IDC_PROBELENGTH_LABEL",
                                  "IDC_PROGRAM",
                                  "IDC_RADIO_DISTANCE",
                                  "IDC_RADIO_NL",
                                  "IDC_RADIO_VOLUME",
                                  "IDC_RELAY",
                                  "IDC_RELAYUNITS",
                                  "IDC_RELAYUNITSLABEL",
                                  "IDC_RESET",
                                  "IDC_RESTART",
                                  "IDC_RHLABEL_ST",
                                  "IDC_SAVECONFIGFIRST_MSG",
                                  "IDC_SAVEFILE",
                                  "IDC_SELECTECHOCURVE",
                                  "IDC_SELECTFIRMWARELABEL",
                                  "IDC_SELECTPROGRAM",
                                  "IDC_SENSORGROUPBOX",
                                  "IDC_SHLABEL",
                                  "IDC_SHLABEL_ST",
                                  "IDC_SKIPINTRO",
                                  "IDC_START_STATUS1",
                                  "IDC_START_STATUS2",
                                  "IDC_START_STATUS3",
                                  "IDC_START_STATUS5",
                                  "IDC_START_STATUS6",
                                  "IDC_START_STATUS7",
                                  "IDC_START_STATUS8",
                                  "IDC_START_STATUS9",
                                  "IDC_START_STATUS10",
                                  "IDC_START_STATUS11",
                                  "IDC_START_STATUS12",
                                  "IDC_START_STATUS13",
                                  "IDC_STUBBEDMODE",
                                  "IDC_SUNITSLABEL_DEMO",
                                  "IDC_SW_REVISION",
                                  "IDC_TANKWINDOW",
                                  "IDC_THLABEL_ST",
                                  "IDC_UNITLABEL",
                                  "IDC_UNITSLABEL_ST",
                                  "IDC_UPDATE",
                                  "IDC_UPDATEBOX_TXT",
                                  "IDC_VALIDCFG",
                                  "IDC_VALUE_LABEL",
                                  "IDC_VIEWDRAWING",
                                  "IDC_VIEWGUIDE_INST",
                                  "IDC_VOLUMEGROUPBOX",
                                  "IDC_WC_UPDATE",
                                  "IDC_WRITETARGET",
                                  "IDC_YES",
                                  "IDC_DEADBAND_LABEL",
                                  "IDC_MAXRANGE_LABEL",
                                  "IDD_CONFIGREPORT",
                                  "IDC_REPORT_UNIT",
                                  "IDC_REPORT_MODEL",
                                  "IDC_REPORT_SERIAL",
                                  "IDC_REPORT_HARDWARE",
                                  "IDC_REPORT_MODELFILE",
                                  "IDC_REPORT_HEIGHTS",
                                  "IDC_REPORT_DATE",
                                  "IDC_REPORT_PAGE",
                                  "IDC_REPORT_STRAPPING",
                                  "IDC_REPORT_LEVEL",
                                  "IDC_REPORT_VOLUME",
                                  "IDC_HELP_BACK",
                                  "IDC_HELP_FORWARD",
                                  "IDC_HELP_HOME",
                                  "IDC_HELP_FIND",
                                  "IDC_HELP_FIND_NEXT",
                                  "IDC_HELP_FIND_PREVIOUS",
                                  "IDD_ECHOCURVE_PULSE",
                                  "IDC_SAVEPICTURE",
                                  "IDC_SAVESAMPLES",
                                  "ERROR_MESSAGE_DIAGSAVE",
                                  "SELECTSTR",
                                  "IDVERSION"};
    addNumbered(k, "STATUS_MESSAGE", {{6, 14}, {16, 16}, {22, 24}, {26, 30}, {37, 42}, {44, 54}});
    addNumbered(k, "BUSY_MESSAGE", {{1, 11}, {13, 16}});
    addNumbered(k, "SVC_MESSAGE", {{1, 9}});
    k.push_back("STATUS_MESSAGE81");  // the update page's question before a file of another program
    addNumbered(k, "ERROR_MESSAGE",
                {{1, 13},
                 {15, 17},
                 {21, 24},
                 {27, 70},
                 {73, 77},
                 {79, 81},
                 {83, 83},
                 {85, 88},
                 {90, 109},
                 {113, 115},
                 {117, 117},
                 {119, 130},
                 {132, 133},
                 {140, 140},
                 {160, 165}});
    return k;
  }();
  return keys;
}

bool isMessageKey(std::string_view key) {
  return key.starts_with("ERROR_MESSAGE") || key.starts_with("STATUS_MESSAGE") ||
         key.starts_with("BUSY_MESSAGE");
}

// The conversion letters of the printf directives in a text, in order ("%2.1f"
// gives 'f'); "%%" gives nothing and an unknown conversion gives '?'.
std::string conversions(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    std::size_t j = i + 1;
    if (j < text.size() && text[j] == '%') {
      i = j;
      continue;
    }
    while (j < text.size() && std::string_view("-+ #0").find(text[j]) != std::string_view::npos)
      ++j;
    while (j < text.size() && (std::isdigit(static_cast<unsigned char>(text[j])) || text[j] == '*'))
      ++j;
    if (j < text.size() && text[j] == '.') {
      ++j;
      while (j < text.size() &&
             (std::isdigit(static_cast<unsigned char>(text[j])) || text[j] == '*'))
        ++j;
    }
    while (j < text.size() && std::string_view("hlLqjzt").find(text[j]) != std::string_view::npos)
      ++j;
    const char c = j < text.size() ? text[j] : '\0';
    out.push_back(
        std::string_view("diuoxXcsSfFeEgGaA").find(c) != std::string_view::npos && c != '\0' ? c
                                                                                             : '?');
    i = j;
  }
  return out;
}

bool containsCjk(std::string_view utf8) {
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t cp = decodeUtf8(utf8, pos);
    if (cp >= 0x4E00 && cp <= 0x9FFF) return true;
  }
  return false;
}

bool isAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// The file's UTF-16 code units after the byte-order mark.
std::u16string fileUnits(const std::string& bytes) {
  std::u16string units;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  return units;
}

class LanguageFile : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(table_.LoadPath(languageFilePath()), 0) << languageFilePath(); }

  LanguageTable table_;
};

TEST(TextDirectives, ConversionsIgnoreFlagsWidthAndPrecision) {
  EXPECT_EQ(conversions("Version %s at %2.1f and %05d, %-3.3s"), "sfds");
  EXPECT_EQ(conversions("100%% done %ld %I"), "d?");
  EXPECT_EQ(conversions("no directives"), "");
}

TEST_F(LanguageFile, HoldsEveryKeyInUseExactlyOnce) {
  EXPECT_LT(table_.Count(), LanguageTable::kCapacity);
  const std::set<std::string> inUse(keysInUse().begin(), keysInUse().end());
  EXPECT_EQ(inUse.size(), keysInUse().size()) << "the list of keys in use repeats a key";

  std::map<std::string, int> seen;
  for (int i = 0; i < table_.Count(); ++i) {
    const std::string& key = table_.Entry(i).Key;
    ++seen[key];
    EXPECT_TRUE(inUse.contains(key))
        << "entry " << i << " has a key the tool never asks for: \"" << key << '"';
  }
  for (const std::string& key : keysInUse()) {
    const auto it = seen.find(key);
    if (it == seen.end()) {
      ADD_FAILURE() << "missing key " << key;
    } else {
      EXPECT_EQ(it->second, 1) << "key " << key << " is written " << it->second << " times";
    }
  }
}

TEST_F(LanguageFile, BothColumnsHoldTextForEveryKey) {
  for (const std::string& key : keysInUse()) {
    for (int column = 0; column < 2; ++column) {
      std::string text = "<untouched>";
      EXPECT_TRUE(table_.Lookup(key, column, text)) << key;
      EXPECT_NE(text, "<untouched>") << key;
      EXPECT_FALSE(text.empty()) << key << " column " << column << " is empty";
    }
  }
}

TEST_F(LanguageFile, ColumnsAreEnglishAndChinese) {
  for (int i = 0; i < table_.Count(); ++i) {
    const LanguageEntry& e = table_.Entry(i);
    EXPECT_TRUE(isAscii(e.Texts[0])) << e.Key << " column 0 is not plain English text";
    if (isMessageKey(e.Key)) {
      EXPECT_TRUE(containsCjk(e.Texts[1])) << e.Key << " column 1 has no Chinese text";
    }
  }
}

TEST_F(LanguageFile, ChineseColumnKeepsTheDirectivesOfTheEnglishColumn) {
  for (int i = 0; i < table_.Count(); ++i) {
    const LanguageEntry& e = table_.Entry(i);
    EXPECT_EQ(conversions(e.Texts[1]), conversions(e.Texts[0])) << e.Key;
    EXPECT_EQ(conversions(e.Texts[0]).find('?'), std::string::npos) << e.Key;
  }
}

// What the callers fill in; every key not listed here is shown as it stands
// and must carry no directive at all.
TEST_F(LanguageFile, DirectivesMatchTheArgumentsTheCallersPass) {
  const std::map<std::string, std::string> expected = {
      {"IDD_DIMENSIONFORM", "s"},  // structure title
      {"IDD_FORMULAENTRY", "s"},
      {"IDD_STRAPPINGDLG", "s"},
      {"IDC_HW_MODEL", "s"},       // firmware text
      {"IDC_MODELFILE", "s"},      // model file name
      {"IDC_PNSN", "sd"},          // model, serial number
      {"IDC_START_STATUS2", "s"},  // product id
      {"IDC_START_STATUS3", "d"},  // connect result
      {"IDC_START_STATUS5", "d"},
      {"IDC_START_STATUS6", "s"},
      {"IDC_START_STATUS8", "ds"},  // connect result, device
      {"IDC_START_STATUS9", "ds"},
      {"IDC_START_STATUS10", "ds"},
      {"IDC_START_STATUS11", "ds"},
      {"IDC_START_STATUS12", "dss"},  // connect result, device, the system's words
      {"IDC_START_STATUS13", "d"},
      {"STATUS_MESSAGE28", "s"},      // product id
      {"STATUS_MESSAGE39", "ddddd"},  // month, day, year, hour, minute
      {"STATUS_MESSAGE40", "s"},      // support code
      {"STATUS_MESSAGE41", "sdddd"},  // product id and file version
      {"STATUS_MESSAGE42", "s"},      // file name
      {"STATUS_MESSAGE53", "s"},      // capacity, formatted for the relay units
      {"STATUS_MESSAGE54", "s"},      // full-scale flow, likewise
      {"ERROR_MESSAGE_DIAGSAVE", "s"},  // file name
      {"STATUS_MESSAGE81", "s"},      // program name of the file
      {"ERROR_MESSAGE1", "d"},
      {"ERROR_MESSAGE2", "d"},
      {"ERROR_MESSAGE3", "d"},
      {"ERROR_MESSAGE4", "d"},
      {"ERROR_MESSAGE6", "d"},  // decode result
      {"ERROR_MESSAGE8", "s"},  // corporate id
      {"ERROR_MESSAGE10", "s"},
      {"ERROR_MESSAGE15", "ds"},  // error code and its text
      {"ERROR_MESSAGE16", "d"},   // settings store code
      {"ERROR_MESSAGE23", "d"},
      {"ERROR_MESSAGE47", "sf"},  // value name and limit
      {"ERROR_MESSAGE48", "sf"},
      {"ERROR_MESSAGE50", "sf"},
      {"ERROR_MESSAGE51", "sf"},
      {"ERROR_MESSAGE54", "ss"},  // unit model, file model
      {"ERROR_MESSAGE57", "d"},
      {"ERROR_MESSAGE64", "d"},     // last read result
      {"ERROR_MESSAGE76", "d"},     // information memory write step
      {"ERROR_MESSAGE77", "dddd"},  // result, page, word, value
      {"ERROR_MESSAGE100", "s"},    // mail server
      {"ERROR_MESSAGE104", "d"},    // programming result
      {"ERROR_MESSAGE107", "d"},
      {"ERROR_MESSAGE108", "d"},
      {"ERROR_MESSAGE119", "ss"},  // model prefix, unit type
      {"ERROR_MESSAGE121", "s"},   // the offending field text
      {"ERROR_MESSAGE122", "dd"},  // previous and current row
      {"ERROR_MESSAGE128", "ff"},  // configuration and unit revisions
      {"ERROR_MESSAGE132", "ss"},  // error name, command name
      {"ERROR_MESSAGE140", "s"},   // the table's full value
      {"ERROR_MESSAGE160", "d"},   // offset of the incomplete frame
      {"ERROR_MESSAGE162", "s"},   // program name of the file
      {"IDC_REPORT_PAGE", "dd"},   // page, pages
      {"IDC_CURVE_SAVEFAILED", "s"},  // file name
      {"SVC_MESSAGE1", "s"},  // the field
      {"SVC_MESSAGE2", "s"},
      {"SVC_MESSAGE3", "s"},
      {"SVC_MESSAGE4", "s"},
      {"SVC_MESSAGE5", "s"},
      {"SVC_MESSAGE6", "s"},
      {"SVC_MESSAGE9", "ss"},  // the production record, why it failed
  };
  for (const std::string& key : keysInUse()) {
    std::string text;
    ASSERT_TRUE(table_.Lookup(key, 0, text)) << "missing key " << key;
    const auto it = expected.find(key);
    EXPECT_EQ(conversions(text), it == expected.end() ? "" : it->second) << key << ": " << text;
  }
}

TEST(LanguageFileBytes, IsUtf16WithMarkAndCrLfLineEnds) {
  const std::string bytes = test::readBytes(languageFilePath());
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE", 2));
  EXPECT_EQ(bytes.size() % 2, 0u);
  const std::u16string units = fileUnits(bytes);
  int line = 1;
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (units[i] != u'\n') continue;
    EXPECT_TRUE(i > 0 && units[i - 1] == u'\r') << "bare line feed ending line " << line;
    ++line;
  }
  EXPECT_GT(line, 300);
}

// An apostrophe would silently cut a text short, and a trailing backslash
// would swallow the next line into the entry.
TEST(LanguageFileBytes, EntryLinesHaveNoApostropheOrContinuation) {
  const std::u16string units = fileUnits(test::readBytes(languageFilePath()));
  std::size_t start = 0;
  while (start < units.size()) {
    std::size_t end = units.find(u'\n', start);
    if (end == std::u16string::npos) end = units.size();
    std::u16string line = units.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && (line.back() == u'\r' || line.back() == u' ')) line.pop_back();
    const std::size_t first = line.find_first_not_of(u" \t");
    if (first == std::u16string::npos || line[first] == u'\'') continue;
    const std::string text = utf16ToUtf8(line);
    const std::string key = text.substr(0, text.find_first_of(" =["));
    EXPECT_EQ(line.find(u'\''), std::u16string::npos) << key << " contains an apostrophe";
    EXPECT_NE(line.back(), u'\\') << key << " ends with a backslash";
  }
}

}  // namespace
}  // namespace ostrel
