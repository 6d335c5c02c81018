#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "core/support/app_settings.h"
#include "core/support/language_table.h"
#include "core/support/presenter.h"
#include "gui/support/c_message_box.h"

using ostrel::AppSettings;
using ostrel::CMessageBox;
using ostrel::LanguageTable;

namespace {

void writeFile(const QString& path, const QByteArray& content) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  QCOMPARE(file.write(content), content.size());
}

// Runs show() while act() works on the open box. A box still open after a
// few seconds ends with -99, so a click that misses fails instead of hanging.
int runWith(CMessageBox& box, const QString& text, unsigned style,
            const std::function<void()>& act) {
  QTimer actTimer;
  actTimer.setSingleShot(true);
  QObject::connect(&actTimer, &QTimer::timeout, act);
  actTimer.start(0);
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, &box, [&box] { box.done(-99); });
  guard.start(5000);
  return box.show(text, style);
}

QImage iconImage(const QWidget& w, QStyle::StandardPixmap which) {
  const int size = w.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &w);
  return w.style()->standardIcon(which, nullptr, &w).pixmap(size).toImage();
}

}  // namespace

class CMessageBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void styleDecidesButtonsCaptionsIconAndSound_data();
  void styleDecidesButtonsCaptionsIconAndSound();
  void eachButtonEndsWithItsResult_data();
  void eachButtonEndsWithItsResult();
  void escapeAndCloseGiveTheCautiousAnswer_data();
  void escapeAndCloseGiveTheCautiousAnswer();
  void captionsComeFromTheSelectedColumn();
  void missingKeysKeepTheCaptionTheyHadBefore();
  void titleIsTheProductName();
  void boxFitsItsText();

 private:
  QTemporaryDir dir_;
  LanguageTable table_;
  AppSettings settings_;
};

void CMessageBoxTest::initTestCase() {
  QVERIFY(dir_.isValid());
  const QString path = dir_.filePath(QStringLiteral("lang.txt"));
  writeFile(path,
            "' captions of the message box\r\n"
            "IDC_YES = Ja -> Oui\r\n"
            "IDC_OK = Gut -> Bien\r\n"
            "IDC_NO = Nein -> Non\r\n"
            "IDC_CANCEL = Abbruch -> Annuler\r\n");
  QCOMPARE(table_.LoadPath(path.toStdString()), 0);
  QCOMPARE(table_.Count(), 4);
  // The icon checks below only mean something when the style's icons differ.
  QLabel probe;
  QVERIFY(iconImage(probe, QStyle::SP_MessageBoxInformation) !=
          iconImage(probe, QStyle::SP_MessageBoxQuestion));
  QVERIFY(iconImage(probe, QStyle::SP_MessageBoxQuestion) !=
          iconImage(probe, QStyle::SP_MessageBoxCritical));
}

void CMessageBoxTest::styleDecidesButtonsCaptionsIconAndSound_data() {
  QTest::addColumn<unsigned>("style");
  QTest::addColumn<bool>("yes");
  QTest::addColumn<bool>("ok");
  QTest::addColumn<bool>("no");
  QTest::addColumn<QString>("rightCaption");
  QTest::addColumn<int>("icon");
  QTest::addColumn<bool>("defaultBeep");

  const int info = QStyle::SP_MessageBoxInformation;
  const int question = QStyle::SP_MessageBoxQuestion;
  const int error = QStyle::SP_MessageBoxCritical;
  QTest::newRow("plain") << 0x00u << false << true << false << "Nein" << info << false;
  QTest::newRow("yes/no") << 0x04u << true << false << true << "Nein" << question << false;
  QTest::newRow("information") << 0x40u << false << true << false << "Nein" << info << true;
  QTest::newRow("error") << 0x10u << false << true << false << "Nein" << error << false;
  QTest::newRow("ok/cancel") << 0x01u << false << true << true << "Abbruch" << question << false;
  // Combined bits: the icon bits pick icon and sound, the button bits the
  // buttons; a question never loses its No button to an icon bit.
  QTest::newRow("yes/no error") << 0x14u << true << false << true << "Nein" << error << false;
  QTest::newRow("yes/no information") << 0x44u << true << false << true << "Nein" << info << true;
  QTest::newRow("ok/cancel error") << 0x11u << false << true << true << "Abbruch" << error << false;
  QTest::newRow("information and error")
      << 0x50u << false << true << false << "Nein" << error << false;
  QTest::newRow("warning carries the error bit")
      << 0x30u << false << true << false << "Nein" << error << false;
}

void CMessageBoxTest::styleDecidesButtonsCaptionsIconAndSound() {
  QFETCH(unsigned, style);
  QFETCH(bool, yes);
  QFETCH(bool, ok);
  QFETCH(bool, no);
  QFETCH(QString, rightCaption);
  QFETCH(int, icon);
  QFETCH(bool, defaultBeep);

  CMessageBox box(&table_, &settings_);
  bool seen = false;
  const int result = runWith(box, QStringLiteral("Proceed?"), style, [&] {
    seen = true;
    QCOMPARE(box.yesButton()->isVisible(), yes);
    QCOMPARE(box.okButton()->isVisible(), ok);
    QCOMPARE(box.noButton()->isVisible(), no);
    QCOMPARE(box.yesButton()->text(), QStringLiteral("Ja"));
    QCOMPARE(box.okButton()->text(), QStringLiteral("Gut"));
    QCOMPARE(box.noButton()->text(), rightCaption);
    QCOMPARE(box.iconLabel()->pixmap().toImage(),
             iconImage(box, static_cast<QStyle::StandardPixmap>(icon)));
    QCOMPARE(box.textLabel()->text(), QStringLiteral("Proceed?"));
    // Left to right: Yes, OK, No.
    if (yes && no) QVERIFY(box.yesButton()->x() < box.noButton()->x());
    if (ok && no) QVERIFY(box.okButton()->x() < box.noButton()->x());
    box.done(0);
  });
  QVERIFY(seen);
  QCOMPARE(result, 0);
  QCOMPARE(box.currentLayout().sound == CMessageBox::Sound::DefaultBeep, defaultBeep);
  QCOMPARE(box.currentLayout(), CMessageBox::layoutFor(style));
}

void CMessageBoxTest::eachButtonEndsWithItsResult_data() {
  QTest::addColumn<unsigned>("style");
  QTest::addColumn<QString>("button");
  QTest::addColumn<int>("result");
  QTest::newRow("plain OK") << 0x00u << "IDC_OK" << int(ostrel::kResultOk);
  QTest::newRow("yes/no Yes") << 0x04u << "IDC_YES" << int(ostrel::kResultYes);
  QTest::newRow("yes/no No") << 0x04u << "IDC_NO" << int(ostrel::kResultNo);
  QTest::newRow("information OK") << 0x40u << "IDC_OK" << int(ostrel::kResultOk);
  QTest::newRow("error OK") << 0x10u << "IDC_OK" << int(ostrel::kResultOk);
  QTest::newRow("ok/cancel OK") << 0x01u << "IDC_OK" << int(ostrel::kResultOk);
  QTest::newRow("ok/cancel Cancel answers No") << 0x01u << "IDC_NO" << int(ostrel::kResultNo);
}

void CMessageBoxTest::eachButtonEndsWithItsResult() {
  QFETCH(unsigned, style);
  QFETCH(QString, button);
  QFETCH(int, result);
  CMessageBox box(&table_, &settings_);
  const int got = runWith(box, QStringLiteral("Text"), style, [&] {
    auto* target = box.findChild<QPushButton*>(button);
    QVERIFY(target != nullptr);
    QVERIFY(target->isVisible());
    QTest::mouseClick(target, Qt::LeftButton);
  });
  QCOMPARE(got, result);
  // The shared box answers again on its next showing.
  QCOMPARE(runWith(box, QStringLiteral("Again"), 0x00u,
                   [&] { QTest::mouseClick(box.okButton(), Qt::LeftButton); }),
           int(ostrel::kResultOk));
}

void CMessageBoxTest::escapeAndCloseGiveTheCautiousAnswer_data() {
  QTest::addColumn<unsigned>("style");
  QTest::addColumn<int>("result");
  QTest::newRow("plain") << 0x00u << int(ostrel::kResultOk);
  QTest::newRow("information") << 0x40u << int(ostrel::kResultOk);
  QTest::newRow("error") << 0x10u << int(ostrel::kResultOk);
  QTest::newRow("yes/no") << 0x04u << int(ostrel::kResultNo);
  QTest::newRow("ok/cancel") << 0x01u << int(ostrel::kResultNo);
}

void CMessageBoxTest::escapeAndCloseGiveTheCautiousAnswer() {
  QFETCH(unsigned, style);
  QFETCH(int, result);
  CMessageBox box(&table_, &settings_);
  QCOMPARE(
      runWith(box, QStringLiteral("Text"), style, [&] { QTest::keyClick(&box, Qt::Key_Escape); }),
      result);
  QCOMPARE(runWith(box, QStringLiteral("Text"), style, [&] { box.close(); }), result);
}

void CMessageBoxTest::captionsComeFromTheSelectedColumn() {
  AppSettings second;
  second.LanguageNumber = 1;
  CMessageBox box(&table_, &second);
  box.prepare(QStringLiteral("Text"), 0x04);
  QCOMPARE(box.yesButton()->text(), QStringLiteral("Oui"));
  QCOMPARE(box.noButton()->text(), QStringLiteral("Non"));
  box.prepare(QStringLiteral("Text"), 0x01);
  QCOMPARE(box.okButton()->text(), QStringLiteral("Bien"));
  QCOMPARE(box.noButton()->text(), QStringLiteral("Annuler"));
}

void CMessageBoxTest::missingKeysKeepTheCaptionTheyHadBefore() {
  // Before any caption was found the buttons read in English.
  CMessageBox empty;
  empty.prepare(QStringLiteral("Text"), 0x01);
  QCOMPARE(empty.okButton()->text(), QStringLiteral("OK"));
  QCOMPARE(empty.noButton()->text(), QStringLiteral("Cancel"));

  LanguageTable table;
  const QString full = dir_.filePath(QStringLiteral("full.txt"));
  writeFile(full, "IDC_YES = Ja\nIDC_OK = Gut\nIDC_NO = Nein\nIDC_CANCEL = Abbruch\n");
  QCOMPARE(table.LoadPath(full.toStdString()), 0);
  CMessageBox box(&table, &settings_);
  box.prepare(QStringLiteral("Text"), 0x04);
  box.prepare(QStringLiteral("Text"), 0x01);
  QCOMPARE(box.noButton()->text(), QStringLiteral("Abbruch"));

  // Captions are fetched at each showing; keys now missing keep their last
  // text, and the right button goes back to the No caption, not Cancel.
  const QString partial = dir_.filePath(QStringLiteral("partial.txt"));
  writeFile(partial, "IDC_OK = Okay\n");
  QCOMPARE(table.LoadPath(partial.toStdString()), 0);
  box.prepare(QStringLiteral("Text"), 0x04);
  QCOMPARE(box.yesButton()->text(), QStringLiteral("Ja"));
  QCOMPARE(box.okButton()->text(), QStringLiteral("Okay"));
  QCOMPARE(box.noButton()->text(), QStringLiteral("Nein"));
}

void CMessageBoxTest::titleIsTheProductName() {
  CMessageBox box(&table_, &settings_);
  box.setProductName(QStringLiteral("Level Setup"));
  QString title;
  runWith(box, QStringLiteral("Text"), 0, [&] {
    title = box.windowTitle();
    box.done(0);
  });
  QCOMPARE(title, QStringLiteral("Level Setup"));
}

void CMessageBoxTest::boxFitsItsText() {
  CMessageBox box(&table_, &settings_);
  const QFontMetrics fm(box.textLabel()->font());

  const QString threeLines = QStringLiteral("First line\nSecond, somewhat longer line\nThird");
  box.prepare(threeLines, 0);
  QVERIFY(box.textLabel()->height() >= 3 * fm.lineSpacing());
  QVERIFY(box.textLabel()->width() >=
          fm.horizontalAdvance(QStringLiteral("Second, somewhat longer line")));
  QVERIFY(!box.textLabel()->wordWrap());

  // A long paragraph wraps to a readable width instead of stretching the box.
  const QString paragraph = QStringLiteral("word ").repeated(80).trimmed();
  box.prepare(paragraph, 0);
  QVERIFY(box.textLabel()->wordWrap());
  QVERIFY(box.textLabel()->width() < fm.horizontalAdvance(paragraph) / 2);
  QVERIFY(box.textLabel()->height() >= 3 * fm.lineSpacing());
  const QRect needed =
      fm.boundingRect(QRect(0, 0, box.textLabel()->width(), 10000), Qt::TextWordWrap, paragraph);
  QVERIFY(box.textLabel()->height() >= needed.height());
}

QTEST_MAIN(CMessageBoxTest)
#include "c_message_box_test.moc"
