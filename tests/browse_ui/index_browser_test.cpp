// TIndexBrowser on the offscreen platform: keys, mouse and scroll bars drive the rows shown and
// the current row; resizing, header and footer change the visible rows; the current row is
// painted in the highlight colour.

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>
#include <QtTest>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/engine.h"
#include "browse/ui/index_browser.h"
#include "tests/support/temp_folder.h"

using namespace tf::engine;
using namespace tf::browse;

namespace {

// Record layout: 4-byte live marker, code (length byte + 10), name (length byte + 20).
constexpr int kRecordLength = 36;
constexpr int kVisible = 5;

std::string Field(const unsigned char* rec, int offset) {
  return std::string(reinterpret_cast<const char*>(rec + offset + 1), rec[offset]);
}

// Always answers a hard failure, to see how the control reports it.
class FailingCalls : public BrowseEngineCalls {
 public:
  void FindKeyAndRef(FileBlock*, int, int32_t&, int, std::string&) override {
    EngineOK = false;
    EngineStatus = status::kFreeChainDamaged;
  }
};

}  // namespace

class TIndexBrowserTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase();
  void init();
  void cleanup();

  void attachShowsTheFirstPage();
  void withoutSourceTheControlIsInert();
  void arrowAndPageKeysMoveTheCurrentRow();
  void ctrlHomeAndEndGoToTheEnds();
  void lettersJumpAndPlusRefreshes();
  void keyPressHandlerSeesCharactersFirst();
  void clickSelectsAndDoubleClickRaisesTheEvent();
  void heldButtonBelowTheRowsScrollsDown();
  void heldButtonAboveTheRowsScrollsUp();
  void verticalScrollBarActionsAndDragging();
  void horizontalKeysAndBarScrollByPixels();
  void resizingRecomputesTheVisibleRows();
  void headerAndFooterTakeALineEach();
  void currentRowIsPaintedInHighlightColours();
  void switchingTheKeyNumber();
  void engineFailureGoesToTheErrorHandler();

 private:
  void Add(const std::string& code, const std::string& name);
  void Attach();
  void SizeForRows(int rows);
  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButtons held);
  std::vector<std::string> ShownKeys() const;

  tf::test::TempFolder dir_;
  FileBlock* fb_ = nullptr;
  unsigned char buffer_[kRecordLength] = {};
  std::unique_ptr<TIndexBrowser> browser_;
  int rowChanges_ = 0;
};

void TIndexBrowserTest::initTestCase() {
  InitEngine(0, kMinPageBuffers);
  QVERIFY(EngineOK);
}

void TIndexBrowserTest::cleanupTestCase() { ExitEngine(); }

void TIndexBrowserTest::init() {
  const std::string name = dir_ / "ITEMS";
  DeleteFileBlock(name);
  const KeyDescriptor keys[] = {{10, 0}, {20, 1}};
  MakeFileBlock(name, kRecordLength, 2, keys);
  QVERIFY(EngineOK);
  OpenFileBlock(fb_, name);
  QVERIFY(EngineOK);
  // 21 entries A1..H3 without D, the names in the opposite order.
  for (char letter : std::string("ABCEFGH"))
    for (int d = 1; d <= 3; ++d)
      Add(std::string(1, letter) + char('0' + d), std::string(1, char('Z' - (letter - 'A'))) + char('0' + d));

  browser_ = std::make_unique<TIndexBrowser>();
  browser_->setObjectName("ProdBrowser");
  browser_->OnBuildRow = [this](TIndexBrowser*, RowRec& rr) {
    rr.Row = rr.Status == 0 ? Field(buffer_, 4) + " " + Field(buffer_, 15) : "****  " + rr.Key;
    return 0;
  };
  rowChanges_ = 0;
  browser_->OnRowChanged = [this](TIndexBrowser*) { ++rowChanges_; };
  browser_->show();
  QVERIFY(QTest::qWaitForWindowExposed(browser_.get()));
  SizeForRows(kVisible);
}

void TIndexBrowserTest::cleanup() {
  browser_.reset();
  CloseFileBlock(fb_);
}

void TIndexBrowserTest::Add(const std::string& code, const std::string& name) {
  unsigned char rec[kRecordLength] = {};
  rec[4] = static_cast<unsigned char>(code.size());
  std::memcpy(rec + 5, code.data(), code.size());
  rec[15] = static_cast<unsigned char>(name.size());
  std::memcpy(rec + 16, name.data(), name.size());
  int32_t ref = 0;
  AddRecord(fb_, ref, rec);
  AddKey(fb_, 1, ref, code);
  AddKey(fb_, 2, ref, name);
  QVERIFY(EngineOK);
}

void TIndexBrowserTest::Attach() {
  browser_->AttachSource(std::make_unique<BrowseSource>(fb_, 1, buffer_, sizeof buffer_));
}

// Makes the viewport hold exactly `rows` rows below the header and above the footer (each
// with its separator), with half a row to spare.
void TIndexBrowserTest::SizeForRows(int rows) {
  TIndexBrowser& b = *browser_;
  const int frame = b.height() - b.viewport()->height();
  const int extra = (b.Header().isEmpty() ? 0 : b.RowHeight() + 1) + (b.Footer().isEmpty() ? 0 : b.RowHeight() + 1);
  b.resize(400, frame + rows * b.RowHeight() + extra + b.RowHeight() / 2);
  QCOMPARE(b.VisibleRows(), rows);
}

void TIndexBrowserTest::Mouse(QEvent::Type type, QPoint at, Qt::MouseButtons held) {
  QWidget* viewport = browser_->viewport();
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, at, viewport->mapToGlobal(at), button, held, Qt::NoModifier);
  QApplication::sendEvent(viewport, &event);
}

std::vector<std::string> TIndexBrowserTest::ShownKeys() const {
  std::vector<std::string> keys;
  const BrowseModel& m = browser_->Model();
  for (int r = 1; r <= m.RowsFilled(); ++r) keys.push_back(m.Row(r).Key);
  return keys;
}

using Keys = std::vector<std::string>;

void TIndexBrowserTest::attachShowsTheFirstPage() {
  int inits = 0;
  browser_->OnFirstUserInit = [&](TIndexBrowser* sender) {
    QCOMPARE(sender, browser_.get());
    ++inits;
  };
  Attach();
  QCOMPARE(inits, 1);
  QCOMPARE(ShownKeys(), (Keys{"A1", "A2", "A3", "B1", "B2"}));
  QCOMPARE(browser_->Model().Row(1).Row, std::string("A1 Z1"));
  QCOMPARE(browser_->Model().CurrentRow(), 1);
  QCOMPARE(browser_->CurrentRef(), 1);
  QCOMPARE(browser_->CurrentKey(), std::string("A1"));
  QCOMPARE(browser_->KeyNumber(), 1);
  QCOMPARE(browser_->verticalScrollBar()->value(), int(browser_->Model().ScrollPosition()));
  QVERIFY(browser_->verticalScrollBar()->value() < 8);
  QCOMPARE(browser_->verticalScrollBar()->maximum(), 63);
  QCOMPARE(browser_->verticalScrollBar()->objectName(), QString("VertScrollBar"));
  bool unchanged = false;
  QCOMPARE(browser_->ReadCurrentRecord(unchanged), 0);
  QVERIFY(unchanged);
}

void TIndexBrowserTest::withoutSourceTheControlIsInert() {
  QCOMPARE(browser_->KeyNumber(), 65535);
  bool unchanged = true;
  QCOMPARE(browser_->ReadCurrentRecord(unchanged), 5);
  QTest::keyClick(browser_.get(), Qt::Key_Down);
  QTest::keyClick(browser_.get(), 'c');
  browser_->GoToKey("B", 0);
  browser_->Refresh();
  QCOMPARE(browser_->CurrentRef(), 0);
  QCOMPARE(rowChanges_, 0);
}

void TIndexBrowserTest::arrowAndPageKeysMoveTheCurrentRow() {
  Attach();
  QTest::keyClick(browser_.get(), Qt::Key_Down);
  QTest::keyClick(browser_.get(), Qt::Key_Down);
  QCOMPARE(browser_->Model().CurrentRow(), 3);
  QCOMPARE(browser_->CurrentKey(), std::string("A3"));
  QCOMPARE(rowChanges_, 2);

  for (int i = 0; i < 3; ++i) QTest::keyClick(browser_.get(), Qt::Key_Down);
  QCOMPARE(ShownKeys(), (Keys{"A2", "A3", "B1", "B2", "B3"}));
  QCOMPARE(browser_->Model().CurrentRow(), 5);
  QCOMPARE(rowChanges_, 5);

  QTest::keyClick(browser_.get(), Qt::Key_PageDown);
  QCOMPARE(ShownKeys(), (Keys{"C1", "C2", "C3", "E1", "E2"}));
  QCOMPARE(browser_->CurrentKey(), std::string("E2"));
  QTest::keyClick(browser_.get(), Qt::Key_Up);
  QCOMPARE(browser_->CurrentKey(), std::string("E1"));
  QTest::keyClick(browser_.get(), Qt::Key_PageUp);
  QCOMPARE(ShownKeys(), (Keys{"A2", "A3", "B1", "B2", "B3"}));
  QCOMPARE(browser_->Model().CurrentRow(), 4);
  QVERIFY(browser_->verticalScrollBar()->value() < 63);
}

void TIndexBrowserTest::ctrlHomeAndEndGoToTheEnds() {
  Attach();
  QTest::keyClick(browser_.get(), Qt::Key_End, Qt::ControlModifier);
  QCOMPARE(ShownKeys(), (Keys{"G2", "G3", "H1", "H2", "H3"}));
  QCOMPARE(browser_->CurrentKey(), std::string("H3"));
  // The thumb shows the index's estimate; in a one-page index the ends sit just inside 0..63.
  const int atEnd = browser_->verticalScrollBar()->value();
  QCOMPARE(atEnd, int(browser_->Model().ScrollPosition()));
  QVERIFY(atEnd > 55);
  QCOMPARE(rowChanges_, 1);
  QTest::keyClick(browser_.get(), Qt::Key_Home, Qt::ControlModifier);
  QCOMPARE(ShownKeys(), (Keys{"A1", "A2", "A3", "B1", "B2"}));
  QCOMPARE(browser_->Model().CurrentRow(), 1);
  QVERIFY(browser_->verticalScrollBar()->value() < 8);
}

void TIndexBrowserTest::lettersJumpAndPlusRefreshes() {
  Attach();
  QTest::keyClick(browser_.get(), 'C', Qt::ShiftModifier);
  QCOMPARE(browser_->CurrentKey(), std::string("C1"));
  QCOMPARE(browser_->Model().CurrentRow(), 1);
  QCOMPARE(rowChanges_, 1);
  QTest::keyClick(browser_.get(), 'D', Qt::ShiftModifier);  // no D: the next greater entry
  QCOMPARE(browser_->CurrentKey(), std::string("E1"));
  QTest::keyClick(browser_.get(), 'c');  // lower case sorts after every key: the last page
  QCOMPARE(browser_->CurrentKey(), std::string("H3"));
  QCOMPARE(browser_->Model().CurrentRow(), kVisible);

  Add("H25", "X");
  QCOMPARE(ShownKeys(), (Keys{"G2", "G3", "H1", "H2", "H3"}));
  QTest::keyClick(browser_.get(), '+');
  QCOMPARE(ShownKeys(), (Keys{"G2", "G3", "H1", "H2", "H25"}));
  QCOMPARE(browser_->CurrentKey(), std::string("H25"));
}

void TIndexBrowserTest::keyPressHandlerSeesCharactersFirst() {
  Attach();
  int enters = 0;
  browser_->OnKeyPress = [&](TIndexBrowser*, QChar& key) {
    if (key == QChar('\r')) {
      ++enters;
      key = QChar();
      return;
    }
    if (key == QChar('x')) key = QChar();  // swallowed
    key = key.toUpper();
  };
  QTest::keyClick(browser_.get(), 'g');
  QCOMPARE(browser_->CurrentKey(), std::string("G1"));
  QTest::keyClick(browser_.get(), 'x');
  QCOMPARE(browser_->CurrentKey(), std::string("G1"));
  QTest::keyClick(browser_.get(), Qt::Key_Return);
  QCOMPARE(enters, 1);

  browser_->OnKeyDown = [](TIndexBrowser*, int& key, Qt::KeyboardModifiers) {
    if (key == Qt::Key_Down) key = 0;
  };
  QTest::keyClick(browser_.get(), Qt::Key_Down);
  QCOMPARE(browser_->CurrentKey(), std::string("G1"));
}

void TIndexBrowserTest::clickSelectsAndDoubleClickRaisesTheEvent() {
  Attach();
  int doubleClicks = 0;
  browser_->OnDblClick = [&](TIndexBrowser*) { ++doubleClicks; };
  const QPoint row3 = browser_->RowRect(3).center();
  Mouse(QEvent::MouseButtonPress, row3, Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, row3, Qt::NoButton);
  QCOMPARE(browser_->Model().CurrentRow(), 3);
  QCOMPARE(browser_->CurrentKey(), std::string("A3"));
  QCOMPARE(rowChanges_, 1);
  Mouse(QEvent::MouseButtonDblClick, row3, Qt::LeftButton);
  QCOMPARE(doubleClicks, 1);
}

void TIndexBrowserTest::heldButtonBelowTheRowsScrollsDown() {
  Attach();
  const QPoint row1 = browser_->RowRect(1).center();
  const QPoint below(row1.x(), browser_->RowRect(kVisible).bottom() + 3);
  Mouse(QEvent::MouseButtonPress, row1, Qt::LeftButton);
  Mouse(QEvent::MouseMove, below, Qt::LeftButton);
  QTRY_VERIFY(browser_->CurrentKey() >= std::string("B3"));  // scrolled past the first page
  QCOMPARE(browser_->Model().CurrentRow(), kVisible);
  Mouse(QEvent::MouseButtonRelease, below, Qt::NoButton);
  const std::string stopped = browser_->CurrentKey();
  QTest::qWait(4 * TIndexBrowser::kAutoScrollMs);
  QCOMPARE(browser_->CurrentKey(), stopped);
}

void TIndexBrowserTest::heldButtonAboveTheRowsScrollsUp() {
  browser_->SetHeader("Code Name");
  SizeForRows(kVisible);
  Attach();
  QTest::keyClick(browser_.get(), Qt::Key_End, Qt::ControlModifier);
  const QPoint last = browser_->RowRect(kVisible).center();
  const QPoint inHeader(last.x(), browser_->RowRect(1).top() - 3);
  Mouse(QEvent::MouseButtonPress, last, Qt::LeftButton);
  Mouse(QEvent::MouseMove, inHeader, Qt::LeftButton);
  QTRY_VERIFY(browser_->CurrentKey() <= std::string("G1"));
  QCOMPARE(browser_->Model().CurrentRow(), 1);
  // Back over the rows: the scrolling stops and the row under the mouse becomes current.
  Mouse(QEvent::MouseMove, browser_->RowRect(2).center(), Qt::LeftButton);
  const std::string second = browser_->Model().Row(2).Key;
  QCOMPARE(browser_->CurrentKey(), second);
  QTest::qWait(4 * TIndexBrowser::kAutoScrollMs);
  QCOMPARE(browser_->CurrentKey(), second);
  Mouse(QEvent::MouseButtonRelease, browser_->RowRect(2).center(), Qt::NoButton);
}

void TIndexBrowserTest::verticalScrollBarActionsAndDragging() {
  Attach();
  QScrollBar* bar = browser_->verticalScrollBar();
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  QCOMPARE(browser_->CurrentKey(), std::string("A2"));
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  QCOMPARE(ShownKeys(), (Keys{"B3", "C1", "C2", "C3", "E1"}));
  QCOMPARE(browser_->CurrentKey(), std::string("C1"));
  QCOMPARE(bar->value(), int(browser_->Model().ScrollPosition()));
  bar->triggerAction(QAbstractSlider::SliderToMaximum);
  QCOMPARE(browser_->CurrentKey(), std::string("H3"));
  QCOMPARE(bar->value(), int(browser_->Model().ScrollPosition()));
  bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  QCOMPARE(browser_->CurrentKey(), std::string("H2"));
  bar->triggerAction(QAbstractSlider::SliderToMinimum);
  QCOMPARE(browser_->CurrentKey(), std::string("A1"));
  QCOMPARE(bar->value(), int(browser_->Model().ScrollPosition()));

  // Dragging the thumb positions the list; the thumb stays where it is dropped.
  const int changes = rowChanges_;
  bar->setSliderDown(true);
  bar->setSliderPosition(63);
  QCOMPARE(browser_->CurrentKey(), std::string("H3"));
  QCOMPARE(browser_->Model().CurrentRow(), kVisible);
  bar->setSliderPosition(0);
  QCOMPARE(browser_->CurrentKey(), std::string("A1"));
  bar->setSliderPosition(32);
  const std::string middle = browser_->CurrentKey();
  QVERIFY(middle > std::string("B3") && middle < std::string("G1"));
  bar->setSliderDown(false);
  QCOMPARE(rowChanges_, changes + 3);
  QCOMPARE(bar->value(), int(browser_->Model().ScrollPosition()));
}

void TIndexBrowserTest::horizontalKeysAndBarScrollByPixels() {
  Attach();
  TIndexBrowser& b = *browser_;
  const int cw = b.CharWidth();
  QVERIFY(b.MaxHorizOfs() > 0);
  QCOMPARE(b.ScrollableWidth(), 128 * cw);
  QTest::keyClick(&b, Qt::Key_End);
  QCOMPARE(b.HorizOfs(), b.MaxHorizOfs());
  QCOMPARE(b.horizontalScrollBar()->value(), b.MaxHorizOfs());
  QTest::keyClick(&b, Qt::Key_Home);
  QCOMPARE(b.HorizOfs(), 0);
  QTest::keyClick(&b, Qt::Key_Right);
  QCOMPARE(b.HorizOfs(), cw);
  QTest::keyClick(&b, Qt::Key_Right, Qt::ControlModifier);
  QCOMPARE(b.HorizOfs(), 11 * cw);
  QTest::keyClick(&b, Qt::Key_Left);
  QCOMPARE(b.HorizOfs(), 10 * cw);
  QTest::keyClick(&b, Qt::Key_Left, Qt::ControlModifier);
  QTest::keyClick(&b, Qt::Key_Left);
  QCOMPARE(b.HorizOfs(), 0);
  b.horizontalScrollBar()->setValue(5 * cw);
  QCOMPARE(b.HorizOfs(), 5 * cw);
  b.SetHorizOfs(1 << 20);
  QCOMPARE(b.HorizOfs(), b.MaxHorizOfs());
  QCOMPARE(browser_->CurrentKey(), std::string("A1"));  // no vertical move
}

void TIndexBrowserTest::resizingRecomputesTheVisibleRows() {
  Attach();
  QTest::keyClick(browser_.get(), Qt::Key_Down);
  SizeForRows(8);
  QCOMPARE(ShownKeys(), (Keys{"A1", "A2", "A3", "B1", "B2", "B3", "C1", "C2"}));
  QCOMPARE(browser_->CurrentKey(), std::string("A2"));
  SizeForRows(2);
  QCOMPARE(ShownKeys(), (Keys{"A1", "A2"}));
  SizeForRows(1);
  QCOMPARE(ShownKeys(), (Keys{"A1"}));
  QCOMPARE(browser_->CurrentKey(), std::string("A1"));
  QTest::keyClick(browser_.get(), Qt::Key_Down);
  QCOMPARE(ShownKeys(), (Keys{"A2"}));
}

void TIndexBrowserTest::headerAndFooterTakeALineEach() {
  Attach();
  const int rh = browser_->RowHeight();
  QCOMPARE(browser_->RowRect(1).top(), 0);
  browser_->SetHeader("Code Name");
  browser_->SetFooter(QString(200, 'f'));
  QCOMPARE(browser_->Footer().size(), 128);
  QVERIFY(browser_->VisibleRows() < kVisible);
  QCOMPARE(browser_->RowRect(1).top(), rh + 1);
  QCOMPARE(int(ShownKeys().size()), browser_->VisibleRows());
  SizeForRows(kVisible);
  QCOMPARE(int(ShownKeys().size()), kVisible);
  QCOMPARE(browser_->RowAt(rh / 2), 0);
  QCOMPARE(browser_->RowAt(browser_->RowRect(2).center().y()), 2);
  QCOMPARE(browser_->RowAt(browser_->viewport()->height() - 1), kVisible + 1);
}

void TIndexBrowserTest::currentRowIsPaintedInHighlightColours() {
  browser_->SetColor(Qt::white);
  browser_->SetHighlightColor(QColor(200, 0, 0));
  Attach();
  QTest::keyClick(browser_.get(), Qt::Key_Down);
  const QImage image = browser_->viewport()->grab().toImage();
  const int x = image.width() - 3;  // right of every row's text
  QCOMPARE(image.pixelColor(x, browser_->RowRect(2).center().y()), QColor(200, 0, 0));
  QCOMPARE(image.pixelColor(x, browser_->RowRect(1).center().y()), QColor(Qt::white));
  QCOMPARE(image.pixelColor(x, browser_->RowRect(3).center().y()), QColor(Qt::white));
}

void TIndexBrowserTest::switchingTheKeyNumber() {
  Attach();
  QTest::keyClick(browser_.get(), Qt::Key_Down);
  browser_->SetKeyNumber(2);
  QCOMPARE(browser_->KeyNumber(), 2);
  QCOMPARE(ShownKeys(), (Keys{"S1", "S2", "S3", "T1", "T2"}));  // H's names come first
  QCOMPARE(browser_->Model().Row(1).Row, std::string("H1 S1"));
  QCOMPARE(browser_->Model().CurrentRow(), 1);
  QCOMPARE(rowChanges_, 2);
}

void TIndexBrowserTest::engineFailureGoesToTheErrorHandler() {
  Attach();
  FailingCalls failing;
  browser_->Model().source()->SetEngineCalls(failing);
  std::string reported;
  browser_->OnBrowseError = [&](TIndexBrowser*, const BrowseError& e) { reported = e.what(); };
  QTest::keyClick(browser_.get(), Qt::Key_End, Qt::ControlModifier);
  QCOMPARE(reported, std::string("Class 4 error.  Isam Error 10170"));
  QCOMPARE(browser_->CurrentKey(), std::string("A1"));
  QVERIFY_THROWS_EXCEPTION(BrowseError, browser_->GoToKey("C", 0));
  browser_->Model().source()->SetEngineCalls(DirectBrowseEngineCalls());
}

QTEST_MAIN(TIndexBrowserTest)
#include "index_browser_test.moc"
