// The RTF the text report window saves: byte-exact for a small text, and well formed for any
// byte string.

#include <QtTest>

#include "common/ui/rtf_text.h"
#include "test_support.h"

using namespace tf::common;

class RtfTextTest : public QObject {
  Q_OBJECT

 private slots:
  void smallTextIsExact() {
    std::string rtf = PlainTextToRtf("Line 1\r\n{a}\\b\tc\xe9\n", FontSpec{"Courier New", 10, 0x0000FF, 0});
    QCOMPARE(rtf, std::string("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}\r\n"
                              "{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
                              "\\pard\\plain\\f0\\fs20\\cf1 Line 1\\par\r\n"
                              "\\{a\\}\\\\b\\tab c\\'e9\\par\r\n"
                              "}\r\n"));
  }

  void styleBitsAndALastLineWithoutNewline() {
    std::string rtf = PlainTextToRtf("x", FontSpec{"", -12, -16777208, 0x0F});
    QVERIFY(rtf.find("Courier New;") != std::string::npos);       // an empty face
    QVERIFY(rtf.find("\\red0\\green0\\blue0;") != std::string::npos);  // a system colour
    QVERIFY(rtf.find("\\fs24\\cf1\\b\\i\\ul\\strike x\\par") != std::string::npos);
    QCOMPARE(PlainTextToRtf("", FontSpec{}).find("\\par\r\n"), std::string::npos);
  }

  void anyBytesGiveBalancedBraces() {
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    std::string rtf = PlainTextToRtf(all + "}}}{", FontSpec{"Arial}", 10, 0, 0});
    int depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
      if (rtf[i] == '\\') {
        ++i;  // an escaped character never opens or closes a group
        continue;
      }
      if (rtf[i] == '{') ++depth;
      if (rtf[i] == '}') --depth;
      QVERIFY(depth >= 0);
    }
    QCOMPARE(depth, 0);
    for (unsigned char c : rtf) QVERIFY(c < 0x80);  // 7-bit clean
  }
};

namespace tf::common::ui::test {
int RunRtfTextTests(int argc, char** argv) {
  RtfTextTest t;
  return QTest::qExec(&t, argc, argv);
}
}  // namespace tf::common::ui::test

#include "rtf_text_test.moc"
