#pragma once
// The ruler above the letter: a scale in inches and the three indent marks of the paragraph at
// the cursor (first line and left indent on the left, right indent on the right), which the
// user drags; releasing a mark sets that indent. Positions are editor pixels.

#include <QWidget>

#include <functional>

namespace tf::letters::ui {

class TRulerMark;

class TRuler : public QWidget {
  Q_OBJECT

 public:
  explicit TRuler(QWidget* parent = nullptr);

  // The paragraph's indents: first line (relative to left), left and right, in pixels.
  void SetIndents(int first, int left, int right);
  // Called when a mark was dropped, with the new first, left and right indents.
  std::function<void(int first, int left, int right)> IndentsChanged;

  TRulerMark* FirstInd;
  TRulerMark* LeftInd;
  TRulerMark* RightInd;

  // Where the marks stand for the indents given, and back.
  static constexpr int kOffset = 2;
  void MarkDropped();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Place();
  int first_ = 0, left_ = 0, right_ = 0;
};

class TRulerMark : public QWidget {
  Q_OBJECT

 public:
  TRulerMark(TRuler* ruler, bool pointsDown);
  int Position() const;  // the mark's tip, in ruler pixels
  void MoveTo(int position);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  TRuler* ruler_;
  bool down_;
  int grab_ = 0;
  bool dragging_ = false;
};

}  // namespace tf::letters::ui
