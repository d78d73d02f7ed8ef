#include "app/logic/links.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(BrowserCommandLine, CutsAtTheQuotedPlaceholderThenTheBareOneElseAppends) {
  const std::wstring url = L"https://www.vantrel.example/Vantrel/";
  // The quoted form wins over a bare %1 before it, and the quotes go with it.
  EXPECT_EQ(BrowserCommandLine(L"\"C:\\Browser\\b.exe\" -osint -url \"%1\"", url),
            L"\"C:\\Browser\\b.exe\" -osint -url  " + url);
  EXPECT_EQ(BrowserCommandLine(L"b.exe %1 -first \"%1\" -tail", url), L"b.exe %1 -first  " + url);
  EXPECT_EQ(BrowserCommandLine(L"C:\\b.exe -nohome %1 -x", url), L"C:\\b.exe -nohome  " + url);
  EXPECT_EQ(BrowserCommandLine(L"C:\\b.exe", url), L"C:\\b.exe " + url);
  EXPECT_EQ(BrowserCommandLine(L"\"%1\"", url), L" " + url);
}

TEST(ShellErrors, NameTheCodeOrSayItIsUnknown) {
  EXPECT_EQ(HyperlinkFailureText(2), L"Unable to open hyperlink:\n\nThe specified file was not found.");
  EXPECT_EQ(HyperlinkFailureText(31),
            L"Unable to open hyperlink:\n\nThere is no application associated\nwith the given filename extension.");
  // Codes between the table's rows and beyond its ends are unknown, negative ones too.
  for (int code : {1, 4, 33, 42, -5})
    EXPECT_EQ(ShellErrorText(code), L"Unknown Error (" + std::to_wstring(code) + L") occurred.");
  EXPECT_EQ(ShellErrorText(26), L"A sharing violation occurred. ");
}

TEST(Links, TheUpdateCheckCarriesTheVersionAndTheQuestionItsThreeArguments) {
  EXPECT_NE(std::wstring(kCheckUpdateUrl).find(L"/Vantrel/CheckUpdate/?Ver=3.6&Build=437"), std::wstring::npos);
  EXPECT_EQ(TellFriendUrl(), L"mailto:?subject=Vantrel - very COOL application!!!&body=Download from " +
                                 std::wstring(kSiteRootUrl));
  std::wstring q = TcpViewQuestion(L"C:\\Program Files\\Vantrel\\");
  EXPECT_NE(q.find(L"copy file \"Tcpview.exe\" to folder \"C:\\Program Files\\Vantrel\\\". Vantrel will launch"),
            std::wstring::npos);
  EXPECT_NE(q.find(std::wstring(L"homepage (") + kTcpViewPageUrl + L") now?"), std::wstring::npos);
}

}  // namespace
}  // namespace vantrel
