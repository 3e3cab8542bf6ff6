// The link control as the About dialog uses it: its markup, NM_CLICK on a
// click released on the link, NM_RETURN from Enter, the NMLINK naming the
// link's address, and the dialog opening that address with ShellExecuteW.
#include "platform/controls/ControlBase.h"
#include "platform/controls/LinkMarkup.h"
#include "platform/testdriver/AnswerScript.h"
#include "tests/platform/controls/ControlsFixture.h"

using namespace ctltest;
using platform::controls::parseLinkMarkup;

namespace {

struct Got {
  UINT code;
  int link;
  std::u16string url, id;
};

class SysLinkTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    link =
        child(WC_LINK,
              u"访问 <a href=\"https://example.org/help\" id=\"help\">帮助</a> 或 <a href='mailto:a@b.c'>来信</a>",
              WS_TABSTOP, 20, 20, 300, 20, 1024);
    onNotify([this](NMHDR* h) -> LRESULT {
      auto* nm = reinterpret_cast<NMLINK*>(h);
      if (h->code == NM_CLICK || h->code == NM_RETURN) {
        got.push_back(Got{h->code, nm->item.iLink, nm->item.szUrl, nm->item.szID});
        ShellExecuteW(nullptr, u"open", nm->item.szUrl, nullptr, nullptr, SW_SHOW);
      }
      EXPECT_EQ(h->hwndFrom, link);
      EXPECT_EQ(h->idFrom, 1024u);
      return FALSE;
    });
  }
  // The x of the middle of the link text "帮助" and of the plain "访问 ".
  int linkX() {
    platform::controls::Measure m(nullptr);
    return m.width(u"访问 ") + m.width(u"帮助") / 2;
  }
  HWND link = nullptr;
  std::vector<Got> got;
};

}  // namespace

TEST(LinkMarkup, SplitsTextAndLinks) {
  struct Case {
    std::u16string markup, plain;
    std::vector<std::u16string> urls;
  };
  const Case cases[] = {
      {u"无链接", u"无链接", {}},
      {u"<a href=\"u1\">一</a>二<A HREF='u2'>三</A>", u"一二三", {u"u1", u"u2"}},
      {u"<a>裸</a>", u"裸", {u""}},
      {u"a < b <b>粗</b>", u"a < b <b>粗</b>", {}},  // other tags stay as text
      {u"<a href=\"x\">未闭合", u"<a href=\"x\">未闭合", {}},
  };
  for (const Case& c : cases) {
    auto m = parseLinkMarkup(c.markup);
    EXPECT_EQ(m.plain(), c.plain);
    std::vector<std::u16string> urls;
    for (const auto& l : m.links) urls.push_back(l.url);
    EXPECT_EQ(urls, c.urls);
  }
}

TEST_F(SysLinkTest, AClickOnTheLinkNotifiesItsAddressAndTheDialogOpensIt) {
  testdriver::AnswerScript script;
  clickAt(link, 2, 8);  // on plain text: nothing
  EXPECT_TRUE(got.empty());
  clickAt(link, linkX(), 8);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].code, NM_CLICK);
  EXPECT_EQ(got[0].link, 0);
  EXPECT_EQ(got[0].url, u"https://example.org/help");
  EXPECT_EQ(got[0].id, u"help");
  ASSERT_EQ(script.calls().size(), 1u);  // recorded, not run
  EXPECT_EQ(script.calls()[0].call.kind, u"ShellExecuteW");
  EXPECT_EQ(script.calls()[0].call.args[0], u"open");
  EXPECT_EQ(script.calls()[0].call.args[1], u"https://example.org/help");
}

TEST_F(SysLinkTest, AClickReleasedElsewhereDoesNothingAndEnterGivesReturn) {
  testdriver::AnswerScript script;
  testdriver::mouseDown(at(link, linkX(), 8));
  testdriver::mouseUp(at(link, 2, 8));
  testdriver::pumpUntilIdle();
  EXPECT_TRUE(got.empty());
  EXPECT_EQ(GetFocus(), link);
  press(VK_RETURN);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].code, NM_RETURN);
  EXPECT_EQ(got[0].url, u"https://example.org/help");
  SendMessageW(link, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"<a href=\"https://example.org/\">Morvel</a>"));
  press(VK_RETURN);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[1].url, u"https://example.org/");
}
