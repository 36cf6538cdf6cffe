#pragma once
// TIndexBrowser: the list control of the manager windows. It shows one fixed-pitch text row per
// index entry of a browse source, with an optional header and footer line, and turns keys,
// mouse and scroll bars into moves of the browse model, which does all the reading. The vertical
// scroll bar runs 0..63 on the index's estimate of where the current entry lies.

#include <QAbstractScrollArea>
#include <QColor>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "browse/browse_model.h"
#include "browse/browse_source.h"

class TIndexBrowser : public QAbstractScrollArea {
  Q_OBJECT
  Q_PROPERTY(QString Header READ Header WRITE SetHeader)
  Q_PROPERTY(QString Footer READ Footer WRITE SetFooter)
  Q_PROPERTY(bool FilterEnabled READ FilterEnabled WRITE SetFilterEnabled)
  Q_PROPERTY(bool UseSeparator READ UseSeparator WRITE SetUseSeparator)
  Q_PROPERTY(int HorizOfs READ HorizOfs WRITE SetHorizOfs)
  Q_PROPERTY(QColor Color READ Color WRITE SetColor)
  Q_PROPERTY(QColor HeaderColor READ HeaderColor WRITE SetHeaderColor)
  Q_PROPERTY(QColor HeaderTxtColor READ HeaderTxtColor WRITE SetHeaderTxtColor)
  Q_PROPERTY(QColor FooterColor READ FooterColor WRITE SetFooterColor)
  Q_PROPERTY(QColor FooterTxtColor READ FooterTxtColor WRITE SetFooterTxtColor)
  Q_PROPERTY(QColor HighlightColor READ HighlightColor WRITE SetHighlightColor)
  Q_PROPERTY(QColor HighlightTxtColor READ HighlightTxtColor WRITE SetHighlightTxtColor)

 public:
  using RowRec = tf::browse::RowRec;

  explicit TIndexBrowser(QWidget* parent = nullptr);
  ~TIndexBrowser() override;

  // --- operations the windows call; engine failures come out as tf::browse::BrowseError ----
  // Frees the previous source, attaches this one, fills the first page, raises OnFirstUserInit.
  void AttachSource(std::unique_ptr<tf::browse::BrowseSource> source);
  void GoToKey(std::string_view key, int32_t ref);
  void SetKeyNumber(int keyNr);
  void Refresh();
  int32_t CurrentRef() const { return model_.CurrentRef(); }
  std::string CurrentKey() const { return model_.CurrentKey(); }
  int KeyNumber() const { return model_.KeyNumber(); }
  int ReadCurrentRecord(bool& unchanged);
  // The rows shown and the current row.
  const tf::browse::BrowseModel& Model() const { return model_; }

  // --- properties ----------------------------------------------------------------------------
  QString Header() const { return header_; }
  void SetHeader(const QString& text);  // at most 128 characters
  QString Footer() const { return footer_; }
  void SetFooter(const QString& text);
  bool FilterEnabled() const { return filterEnabled_; }
  void SetFilterEnabled(bool on);
  bool UseSeparator() const { return useSeparator_; }
  void SetUseSeparator(bool on);
  int HorizOfs() const { return horizOfs_; }
  void SetHorizOfs(int pixels);  // kept within 0..MaxHorizOfs()
  QColor Color() const { return color_; }
  void SetColor(const QColor& c);
  QColor HeaderColor() const { return headerColor_; }
  void SetHeaderColor(const QColor& c);
  QColor HeaderTxtColor() const { return headerTxtColor_; }
  void SetHeaderTxtColor(const QColor& c);
  QColor FooterColor() const { return footerColor_; }
  void SetFooterColor(const QColor& c);
  QColor FooterTxtColor() const { return footerTxtColor_; }
  void SetFooterTxtColor(const QColor& c);
  QColor HighlightColor() const { return highlightColor_; }
  void SetHighlightColor(const QColor& c);
  QColor HighlightTxtColor() const { return highlightTxtColor_; }
  void SetHighlightTxtColor(const QColor& c);

  // --- geometry (viewport pixels) ------------------------------------------------------------
  int RowHeight() const;
  int CharWidth() const;           // the average of the font's mean and widest character
  int ScrollableWidth() const;     // 128 character widths
  int MaxHorizOfs() const;
  int VisibleRows() const { return model_.VisibleRows(); }
  QRect RowRect(int row) const;    // row 1..VisibleRows()
  int RowAt(int y) const;          // 0 above the rows, VisibleRows() + 1 below them
  QSize sizeHint() const override;

  // --- events --------------------------------------------------------------------------------
  std::function<int(TIndexBrowser* sender, RowRec& rr)> OnBuildRow;
  std::function<int(TIndexBrowser* sender, RowRec& rr, bool& useIt)> OnPerformFilter;
  std::function<void(TIndexBrowser* sender, int callState, bool& rejected)> OnShowFilterWorking;
  std::function<int(TIndexBrowser* sender)> OnPreCompletePage;
  std::function<int(TIndexBrowser* sender)> OnPostCompletePage;
  std::function<void(TIndexBrowser* sender)> OnRowChanged;
  std::function<void(TIndexBrowser* sender)> OnFirstUserInit;
  std::function<void(TIndexBrowser* sender)> OnDblClick;
  std::function<void(TIndexBrowser* sender)> OnEnter;
  std::function<void(TIndexBrowser* sender)> OnExit;
  // Setting key to 0 (or the character to null) swallows it.
  std::function<void(TIndexBrowser* sender, int& key, Qt::KeyboardModifiers shift)> OnKeyDown;
  std::function<void(TIndexBrowser* sender, QChar& key)> OnKeyPress;
  std::function<void(TIndexBrowser* sender, int& key, Qt::KeyboardModifiers shift)> OnKeyUp;
  std::function<void(TIndexBrowser* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)>
      OnMouseDown;
  std::function<void(TIndexBrowser* sender, Qt::KeyboardModifiers shift, int x, int y)> OnMouseMove;
  std::function<void(TIndexBrowser* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)>
      OnMouseUp;
  // An engine failure while reacting to the user (keys, mouse, scroll bars, resizing). Without
  // a handler its text is shown in a message box.
  std::function<void(TIndexBrowser* sender, const tf::browse::BrowseError& error)> OnBrowseError;

  static constexpr int kAutoScrollMs = 50;  // one row per tick while the button is held outside

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  struct Snapshot;
  Snapshot Take() const;
  // Runs a move of the model and shows its outcome: repaints what changed, raises OnRowChanged
  // when the current row changed (always when `forceRowChanged`), and moves the thumb.
  void Apply(const std::function<void()>& move, bool forceRowChanged = false);
  // The same for moves the user made: failures go to OnBrowseError instead of up the stack.
  void UserMove(const std::function<void()>& move, bool forceRowChanged = false);
  void ReportError(const tf::browse::BrowseError& error);
  void InstallEvents(tf::browse::BrowseSource& source);
  int FittingRows() const;  // rows that fit between header and footer, at least 1
  void Relayout();
  void UpdateHorizontalBar();
  void SyncThumb();
  void OnVerticalAction(int action);
  void OnThumbMoved(int position);
  void OnAutoScroll();
  void TrackMouse(int y);
  int HeaderHeight() const;
  int FooterHeight() const;
  int RowsTop() const { return HeaderHeight(); }

  tf::browse::BrowseModel model_;
  QString header_;
  QString footer_;
  bool filterEnabled_ = false;
  bool useSeparator_ = true;
  int horizOfs_ = 0;
  QColor color_, headerColor_, headerTxtColor_, footerColor_, footerTxtColor_, highlightColor_,
      highlightTxtColor_;
  QTimer autoScroll_;
  int autoScrollDirection_ = 0;  // -1 up, +1 down, 0 off
  bool syncingThumb_ = false;
};
