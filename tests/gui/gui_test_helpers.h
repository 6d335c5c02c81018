#pragma once
// What the GUI tests do to the real widgets, written once: pick a list
// entry, retype a box, answer a modal dialog when it shows, measure how long
// the window could not paint, and keep a picture of a widget.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <utility>

namespace ostrel::test {

// Whether this build runs under a sanitizer, whose slowness the tool's
// timing bounds (no window unpainted for 100 ms) are not made for.
constexpr bool sanitized() {
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
  return true;
#else
  return false;
#endif
}

// The entry with this text chosen, as a click on it does.
inline void choose(QComboBox* list, const QString& text) {
  const int i = list->findText(text);
  QVERIFY2(i >= 0, qPrintable("no entry " + text));
  list->setCurrentIndex(i);
  emit list->activated(i);
}

// The box's text replaced by typing.
inline void retype(QLineEdit* box, const QString& text) {
  box->selectAll();
  QTest::keyClick(box, Qt::Key_Delete);
  QTest::keyClicks(box, text);
}

// Runs `act` on the modal dialog of type Dialog as soon as it shows (the
// test's own code is then blocked in the dialog's exec()).
template <typename Dialog>
void whenOpen(QObject* owner, std::function<void(Dialog&)> act) {
  auto* poll = new QTimer(owner);
  poll->setInterval(10);
  QObject::connect(poll, &QTimer::timeout, owner, [poll, act = std::move(act)] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    poll->stop();
    poll->deleteLater();
    act(*dialog);
  });
  poll->start();
}

// A tick every 10 ms on the window's thread; the longest gap between ticks
// is the longest the windows could not paint.
class PaintGapProbe {
 public:
  PaintGapProbe() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const qint64 now = clock_.elapsed();
      longest_ = std::max(longest_, now - last_);
      last_ = now;
    });
  }
  void start() {
    clock_.start();
    last_ = 0;
    longest_ = 0;
    timer_.start();
  }
  void stop() { timer_.stop(); }
  qint64 longest() const { return longest_; }
  qint64 elapsed() const { return clock_.elapsed(); }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0;
  qint64 longest_ = 0;
};

// A picture of the widget under $OSTREL_SHOTS_OUT, when it is set.
inline void keep(QWidget& w, const QString& name) {
  const QString out = qEnvironmentVariable("OSTREL_SHOTS_OUT");
  if (out.isEmpty()) return;
  QDir().mkpath(out);
  w.grab().save(out + "/" + name + ".png");
}

}  // namespace ostrel::test
