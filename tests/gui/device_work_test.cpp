// Device work on its worker: a second run is refused while one is under way,
// user input waits until the run has ended, and a run's failure reaches the
// caller.

#include "gui/support/device_work.h"

#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

using ostrel::DeviceWork;

class DeviceWorkTest : public QObject {
  Q_OBJECT

 private slots:
  void aSecondRunWhileOneIsUnderWayIsRefused() {
    bool innerRan = false;
    bool innerAccepted = true;
    // A timer that fires while the first run's loop is serving events.
    QTimer::singleShot(20, [&] {
      innerAccepted = DeviceWork::run([&] { innerRan = true; });
    });
    const bool outer = DeviceWork::run([] { std::this_thread::sleep_for(std::chrono::milliseconds(200)); });
    QVERIFY(outer);
    QVERIFY(!innerAccepted);
    QVERIFY(!innerRan);
    QVERIFY(!DeviceWork::running());
    // Once it has ended, the next run goes ahead.
    QVERIFY(DeviceWork::run([&] { innerRan = true; }));
    QVERIFY(innerRan);
  }

  void keysTypedDuringARunDoNotReachTheWindow() {
    QLineEdit edit;
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    edit.setFocus();
    std::atomic<bool> typed{false};
    QTimer::singleShot(20, [&] {
      QTest::keyClicks(&edit, "abc");
      typed = true;
    });
    QTimer::singleShot(40, [&] {
      QCoreApplication::postEvent(&edit,
                                  new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x"));
    });
    QVERIFY(DeviceWork::run([&] {
      while (!typed) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }));
    QVERIFY(typed);
    QCoreApplication::processEvents();
    QCOMPARE(edit.text(), QString());
    // After the run the same keys are taken again.
    QTest::keyClicks(&edit, "ok");
    QCOMPARE(edit.text(), QString("ok"));
  }

  void aFailureOfTheWorkReachesTheCaller() {
    bool caught = false;
    try {
      (void)DeviceWork::run([] { throw std::runtime_error("unit gone"); });
    } catch (const std::runtime_error& e) {
      caught = QString(e.what()) == "unit gone";
    }
    QVERIFY(caught);
    QVERIFY(!DeviceWork::running());
  }
};

QTEST_MAIN(DeviceWorkTest)
#include "device_work_test.moc"
