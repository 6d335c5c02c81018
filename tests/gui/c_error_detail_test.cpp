#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "core/support/app_settings.h"
#include "core/support/language_table.h"
#include "core/support/presenter.h"
#include "gui/support/c_error_detail.h"

using ostrel::AppSettings;
using ostrel::CErrorDetail;
using ostrel::LanguageTable;

namespace {

void writeFile(const QString& path, const QByteArray& content) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  QCOMPARE(file.write(content), content.size());
}

// Runs show() while act() works on the open dialog; one still open after a
// few seconds is ended so that a missed click fails instead of hanging.
int runWith(CErrorDetail& dialog, const QString& message, const QString& details,
            const std::function<void()>& act, bool* guardFired) {
  QTimer actTimer;
  actTimer.setSingleShot(true);
  QObject::connect(&actTimer, &QTimer::timeout, act);
  actTimer.start(0);
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, &dialog, [&dialog, guardFired] {
    *guardFired = true;
    dialog.done(0);
  });
  guard.start(5000);
  return dialog.show(message, details);
}

QString lines(int count) {
  QStringList list;
  for (int i = 1; i <= count; ++i) list << QStringLiteral("line %1").arg(i);
  return list.join(QLatin1Char('\n'));
}

}  // namespace

class CErrorDetailTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void toggleShowsAndHidesTheDetails();
  void everyShowingStartsWithDetailsHidden();
  void okEndsTheDialog();
  void titleAndOkComeFromTheLanguageFile();
  void messageAreaIsOneTextLinePerMessageLine_data();
  void messageAreaIsOneTextLinePerMessageLine();
  void detailsAreaIsThreeLinesHigh();
  void dialogResizesWhenDetailsToggle();

 private:
  QTemporaryDir dir_;
  LanguageTable table_;
  AppSettings settings_;
};

void CErrorDetailTest::initTestCase() {
  QVERIFY(dir_.isValid());
  const QString path = dir_.filePath(QStringLiteral("lang.txt"));
  writeFile(path, "IDD_ERRORDETAIL = Fehler -> Erreur\nIDOK = Gut -> Bien\n");
  QCOMPARE(table_.LoadPath(path.toStdString()), 0);
}

void CErrorDetailTest::toggleShowsAndHidesTheDetails() {
  CErrorDetail dialog(&table_, &settings_);
  bool guardFired = false;
  runWith(
      dialog, QStringLiteral("Writing failed"), QStringLiteral("code -3"),
      [&] {
        QCOMPARE(dialog.detailsButton()->text(), QStringLiteral("Show Details"));
        QVERIFY(!dialog.detailsArea()->isVisible());
        QTest::mouseClick(dialog.detailsButton(), Qt::LeftButton);
        QCOMPARE(dialog.detailsButton()->text(), QStringLiteral("Hide Details"));
        QVERIFY(dialog.detailsArea()->isVisible());
        QVERIFY(dialog.detailsShown());
        QCOMPARE(dialog.detailsArea()->toPlainText(), QStringLiteral("code -3"));
        QTest::mouseClick(dialog.detailsButton(), Qt::LeftButton);
        QCOMPARE(dialog.detailsButton()->text(), QStringLiteral("Show Details"));
        QVERIFY(!dialog.detailsArea()->isVisible());
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
      },
      &guardFired);
  QVERIFY(!guardFired);
}

void CErrorDetailTest::everyShowingStartsWithDetailsHidden() {
  CErrorDetail dialog(&table_, &settings_);
  dialog.prepare(QStringLiteral("First"), QStringLiteral("one"));
  dialog.setDetailsShown(true);
  QCOMPARE(dialog.detailsButton()->text(), QStringLiteral("Hide Details"));
  dialog.prepare(QStringLiteral("Second"), QStringLiteral("two"));
  QVERIFY(!dialog.detailsShown());
  QVERIFY(dialog.detailsArea()->isHidden());
  QCOMPARE(dialog.detailsButton()->text(), QStringLiteral("Show Details"));
  QCOMPARE(dialog.messageArea()->text(), QStringLiteral("Second"));
  QCOMPARE(dialog.detailsArea()->toPlainText(), QStringLiteral("two"));
}

void CErrorDetailTest::okEndsTheDialog() {
  CErrorDetail dialog(&table_, &settings_);
  bool guardFired = false;
  QCOMPARE(runWith(
               dialog, QStringLiteral("m"), QStringLiteral("d"),
               [&] { QTest::mouseClick(dialog.okButton(), Qt::LeftButton); }, &guardFired),
           int(ostrel::kResultOk));
  QVERIFY(!guardFired);
  QVERIFY(!dialog.isVisible());
  QCOMPARE(runWith(
               dialog, QStringLiteral("m"), QStringLiteral("d"),
               [&] { QTest::keyClick(&dialog, Qt::Key_Escape); }, &guardFired),
           int(ostrel::kResultOk));
  QVERIFY(!guardFired);
}

void CErrorDetailTest::titleAndOkComeFromTheLanguageFile() {
  AppSettings second;
  second.LanguageNumber = 1;
  CErrorDetail dialog(&table_, &second);
  dialog.prepare(QStringLiteral("m"), QString());
  QCOMPARE(dialog.windowTitle(), QStringLiteral("Erreur"));
  QCOMPARE(dialog.okButton()->text(), QStringLiteral("Bien"));

  // Keys missing from a later file keep the texts they had.
  LanguageTable table;
  const QString path = dir_.filePath(QStringLiteral("changing.txt"));
  writeFile(path, "IDD_ERRORDETAIL = Fehler\nIDOK = Gut\n");
  QCOMPARE(table.LoadPath(path.toStdString()), 0);
  CErrorDetail changing(&table, &settings_);
  changing.prepare(QStringLiteral("m"), QString());
  writeFile(path, "IDOK = Jawohl\n");
  QCOMPARE(table.LoadPath(path.toStdString()), 0);
  changing.prepare(QStringLiteral("m"), QString());
  QCOMPARE(changing.windowTitle(), QStringLiteral("Fehler"));
  QCOMPARE(changing.okButton()->text(), QStringLiteral("Jawohl"));
}

void CErrorDetailTest::messageAreaIsOneTextLinePerMessageLine_data() {
  QTest::addColumn<QString>("message");
  QTest::addColumn<int>("lineCount");
  QTest::newRow("one line") << QStringLiteral("Cannot open the port") << 1;
  QTest::newRow("two lines") << lines(2) << 2;
  QTest::newRow("five lines") << lines(5) << 5;
  QTest::newRow("trailing break") << QStringLiteral("Error:  Cannot open the file. \n") << 2;
  QTest::newRow("empty") << QString() << 1;
}

void CErrorDetailTest::messageAreaIsOneTextLinePerMessageLine() {
  QFETCH(QString, message);
  QFETCH(int, lineCount);
  CErrorDetail dialog(&table_, &settings_);
  dialog.prepare(message, QStringLiteral("details"));
  const QFontMetrics fm(dialog.messageArea()->font());
  QCOMPARE(dialog.messageArea()->height(), lineCount * fm.lineSpacing());
  QCOMPARE(dialog.messageArea()->text(), message);
}

void CErrorDetailTest::detailsAreaIsThreeLinesHigh() {
  CErrorDetail dialog(&table_, &settings_);
  const QFontMetrics fm(dialog.detailsArea()->font());
  for (const int count : {3, 4}) {
    dialog.prepare(QStringLiteral("Verification failed"), lines(count));
    dialog.setDetailsShown(true);
    dialog.QDialog::show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCoreApplication::processEvents();
    // Three lines fit without scrolling; a fourth needs the scroll bar.
    QCOMPARE(dialog.detailsArea()->verticalScrollBar()->maximum(), count - 3);
    QVERIFY(dialog.detailsArea()->viewport()->height() >= 3 * fm.lineSpacing());
    QVERIFY(dialog.detailsArea()->viewport()->height() < 4 * fm.lineSpacing());
    dialog.hide();
  }
}

void CErrorDetailTest::dialogResizesWhenDetailsToggle() {
  CErrorDetail dialog(&table_, &settings_);
  const QFontMetrics fm(dialog.messageArea()->font());
  // Heights follow the message: two more lines, two more line spacings
  // (both texts taller than the icon beside them).
  dialog.prepare(lines(4), QStringLiteral("d"));
  dialog.QDialog::show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));
  const int fourLines = dialog.height();
  const auto* icon = dialog.findChild<QLabel*>(QStringLiteral("icon"));
  QVERIFY(icon != nullptr);
  QVERIFY(dialog.messageArea()->height() > icon->height());
  dialog.prepare(lines(6), QStringLiteral("d"));
  QCoreApplication::processEvents();
  QCOMPARE(dialog.height() - fourLines, 2 * fm.lineSpacing());

  const int hidden = dialog.height();
  QTest::mouseClick(dialog.detailsButton(), Qt::LeftButton);
  QCoreApplication::processEvents();
  QVERIFY(dialog.height() >= hidden + dialog.detailsArea()->height());
  QTest::mouseClick(dialog.detailsButton(), Qt::LeftButton);
  QCoreApplication::processEvents();
  QCOMPARE(dialog.height(), hidden);
  dialog.hide();
}

QTEST_MAIN(CErrorDetailTest)
#include "c_error_detail_test.moc"
