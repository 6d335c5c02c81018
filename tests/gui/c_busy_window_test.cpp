#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

#include "core/support/app_settings.h"
#include "core/support/language_table.h"
#include "gui/support/c_busy_window.h"

using ostrel::AppSettings;
using ostrel::CBusyWindow;
using ostrel::LanguageTable;

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++count;
    return false;
  }
};

QImage barImage(CBusyWindow& window) {
  QImage image(window.size(), QImage::Format_ARGB32);
  image.fill(Qt::white);
  window.render(&image);
  return image.copy(window.progressBar()->geometry());
}

}  // namespace

class CBusyWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void progressIsClampedToPercent_data();
  void progressIsClampedToPercent();
  void progressChangesWhatIsDrawn();
  void settingProgressOrMessagePaintsAtOnce();
  void workersReportThroughTheGuiThread();
  void titleComesFromTheLanguageFile();
};

void CBusyWindowTest::progressIsClampedToPercent_data() {
  QTest::addColumn<int>("value");
  QTest::addColumn<int>("shown");
  QTest::newRow("below zero") << -5 << 0;
  QTest::newRow("zero") << 0 << 0;
  QTest::newRow("inside") << 42 << 42;
  QTest::newRow("full") << 100 << 100;
  QTest::newRow("above full") << 150 << 100;
}

void CBusyWindowTest::progressIsClampedToPercent() {
  QFETCH(int, value);
  QFETCH(int, shown);
  CBusyWindow window;
  window.setProgress(50);
  window.setProgress(value);
  QCOMPARE(window.progress(), shown);
  QCOMPARE(window.progressBar()->value(), shown);
}

void CBusyWindowTest::progressChangesWhatIsDrawn() {
  CBusyWindow window;
  window.setMessage("Reading the unit");
  window.setProgress(0);
  window.adjustSize();
  const QImage empty = barImage(window);
  window.setProgress(50);
  const QImage half = barImage(window);
  window.setProgress(150);
  const QImage full = barImage(window);
  QVERIFY(empty != half);
  QVERIFY(half != full);
  // Clamped: 150 draws like 100.
  window.setProgress(100);
  QCOMPARE(barImage(window), full);
}

void CBusyWindowTest::settingProgressOrMessagePaintsAtOnce() {
  CBusyWindow window;
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QCoreApplication::processEvents();

  PaintCounter barPaints;
  PaintCounter labelPaints;
  window.progressBar()->installEventFilter(&barPaints);
  window.messageLabel()->installEventFilter(&labelPaints);

  // No event processing in between: the paint happens inside the call, as
  // it must while the GUI thread is busy with a device exchange.
  window.setProgress(30);
  QVERIFY(barPaints.count > 0);
  const int before = labelPaints.count;
  window.setMessage("Writing page 2");
  QVERIFY(labelPaints.count > before);
  QCOMPARE(window.message(), QStringLiteral("Writing page 2"));
}

void CBusyWindowTest::workersReportThroughTheGuiThread() {
  CBusyWindow window;
  ostrel::ProgressSink& sink = window;
  std::thread worker([&sink] {
    sink.setMessage("Programming");
    sink.setProgress(170);
    sink.setProgress(70);
  });
  worker.join();
  // Queued to the window's thread, applied in order.
  QTRY_COMPARE(window.progress(), 70);
  QCOMPARE(window.message(), QStringLiteral("Programming"));
}

void CBusyWindowTest::titleComesFromTheLanguageFile() {
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("lang.txt"));
  {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("IDD_BUSYWINDOW = Working -> Travail\n");
  }
  LanguageTable table;
  QCOMPARE(table.LoadPath(path.toStdString()), 0);
  AppSettings settings;
  settings.LanguageNumber = 1;

  CBusyWindow untitled;
  const QString fallback = untitled.windowTitle();
  QVERIFY(!fallback.isEmpty());

  CBusyWindow window(&table, &settings);
  QCOMPARE(window.windowTitle(), fallback);  // fetched when shown, not before
  window.show();
  QCOMPARE(window.windowTitle(), QStringLiteral("Travail"));
  window.hide();

  // A language file without the key keeps the title it had.
  const QString other = dir.filePath(QStringLiteral("other.txt"));
  {
    QFile file(other);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("IDOK = OK\n");
  }
  QCOMPARE(table.LoadPath(other.toStdString()), 0);
  window.show();
  QCOMPARE(window.windowTitle(), QStringLiteral("Travail"));
}

QTEST_MAIN(CBusyWindowTest)
#include "c_busy_window_test.moc"
