#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/model/help_topic_table.h"
#include "gui/support/c_help_browser.h"
#include "gui/support/context_help.h"

using ostrel::CHelpBrowser;
using ostrel::ContextHelp;
using ostrel::HelpControl;
using ostrel::HelpFiles;
using ostrel::HelpTopicTable;

namespace {

const std::filesystem::path kHelp = std::filesystem::path(OSTREL_SOURCE_DATA_DIR) / "Help";

QString fileName(const QUrl& url) { return QFileInfo(url.toLocalFile()).fileName(); }
QString helpName(const QUrl& url) { return QFileInfo(url.toLocalFile()).dir().dirName(); }

// Clicks the first link to href in the shown topic, where it is drawn.
void clickLink(QTextBrowser* view, const QString& href) {
  for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (fragment.charFormat().anchorHref() != href) continue;
      QTextCursor at(view->document());
      at.setPosition(fragment.position() + fragment.length() / 2);
      view->setTextCursor(at);
      view->ensureCursorVisible();
      QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->cursorRect(at).center());
      return;
    }
  }
  QFAIL(qPrintable("no link to " + href));
}

// Remembers which mouse buttons pressed it.
class PressRecorder : public QFrame {
 public:
  using QFrame::QFrame;
  QList<Qt::MouseButton> presses;

 protected:
  void mousePressEvent(QMouseEvent* e) override { presses.append(e->button()); }
};

// Drops right presses the way the main form does for its pages.
class RightPressDropper : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    return e->type() == QEvent::MouseButtonPress &&
           static_cast<QMouseEvent*>(e)->button() == Qt::RightButton;
  }
};

}  // namespace

class CHelpBrowserTest : public QObject {
  Q_OBJECT

 private slots:
  void browsesTopicsAndFindsWithinThem();
  void contextHelpOpensTheControlsTopic();
};

void CHelpBrowserTest::browsesTopicsAndFindsWithinThem() {
  QList<QUrl> opened;
  CHelpBrowser::setExternalOpener([&](const QUrl& url) {
    opened.append(url);
    return true;
  });
  QVERIFY(CHelpBrowser::show(kHelp / "OstrelHelp" / "NO_SUCH.htm", nullptr) == nullptr);
  CHelpBrowser* help = CHelpBrowser::show(kHelp / "OstrelHelp" / "WRITE_TO_UNIT.htm", nullptr);
  QVERIFY(help != nullptr);
  QVERIFY(help->isVisible());
  QCOMPARE(help->windowTitle(), QStringLiteral("Write to Unit"));
  QVERIFY(!help->backButton()->isEnabled());

  // A link to another topic is followed inside the window; back and
  // forward walk the history.
  clickLink(help->view(), "TANK_LEVELS_GROUP.htm");
  QCOMPARE(fileName(help->source()), QStringLiteral("TANK_LEVELS_GROUP.htm"));
  QCOMPARE(help->windowTitle(), QStringLiteral("Levels group"));
  QVERIFY(help->backButton()->isEnabled());
  QTest::mouseClick(help->backButton(), Qt::LeftButton);
  QCOMPARE(fileName(help->source()), QStringLiteral("WRITE_TO_UNIT.htm"));
  QCOMPARE(help->windowTitle(), QStringLiteral("Write to Unit"));
  QVERIFY(help->forwardButton()->isEnabled());
  QVERIFY(opened.isEmpty());

  // Documents that are not topics leave the window where it is.
  const QUrl before = help->source();
  emit help->view()->anchorClicked(QUrl("https://example.org/manual"));
  emit help->view()->anchorClicked(QUrl("../../Drawings/KM50_Alarms.pdf"));
  QCOMPARE(help->source(), before);
  QCOMPARE(opened.size(), 2);
  QCOMPARE(opened[0], QUrl("https://example.org/manual"));
  QCOMPARE(opened[1],
           QUrl::fromLocalFile(
               QFileInfo(QString::fromStdString((kHelp / "../Drawings/KM50_Alarms.pdf").string()))
                   .absoluteFilePath()));

  // Find: every match counted and lit, next and previous step and wrap.
  const QString plain = help->view()->toPlainText();
  const int expected = static_cast<int>(plain.count("unit", Qt::CaseInsensitive));
  QVERIFY(expected >= 3);
  QTest::keyClicks(help->findBox(), "unit");
  QCOMPARE(help->matchCount(), expected);
  QCOMPARE(help->view()->extraSelections().size(), expected);
  QCOMPARE(help->selectedText().toLower(), QStringLiteral("unit"));
  const int first = help->view()->textCursor().selectionStart();
  QCOMPARE(first, static_cast<int>(plain.indexOf("unit", 0, Qt::CaseInsensitive)));
  QVERIFY(help->findNext());
  const int second = help->view()->textCursor().selectionStart();
  QVERIFY(second > first);
  QVERIFY(help->findPrevious());
  QCOMPARE(help->view()->textCursor().selectionStart(), first);
  QVERIFY(help->findPrevious());  // wraps to the last match
  QCOMPARE(help->view()->textCursor().selectionStart(),
           static_cast<int>(plain.lastIndexOf("unit", -1, Qt::CaseInsensitive)));
  QVERIFY(help->findNext());  // and back to the first
  QCOMPARE(help->view()->textCursor().selectionStart(), first);
  QVERIFY(!help->find("zqxwv"));
  QCOMPARE(help->matchCount(), 0);
  QVERIFY(help->view()->extraSelections().isEmpty());

  // Home is the contents of the topic's help; a second show reuses the window.
  QTest::mouseClick(help->homeButton(), Qt::LeftButton);
  QCOMPARE(fileName(help->source()), QStringLiteral("index.html"));
  QCOMPARE(helpName(help->source()), QStringLiteral("OstrelHelp"));
  QCOMPARE(CHelpBrowser::show(kHelp / "KM30Help" / "FAILSAFE.htm", nullptr), help);
  QCOMPARE(help->windowTitle(), QStringLiteral("KM30: Failsafe"));
  CHelpBrowser::setExternalOpener({});
  delete help;
  QVERIFY(CHelpBrowser::instance() == nullptr);
}

void CHelpBrowserTest::contextHelpOpensTheControlsTopic() {
  QWidget page;
  auto* notes = new QLineEdit(&page);
  auto* list = new PressRecorder(&page);
  list->setFocusPolicy(Qt::StrongFocus);
  list->setMinimumSize(80, 30);
  auto* group = new QFrame(&page);
  auto* groupLabel = new QLabel("Levels", group);
  auto* clear = new QPushButton("Clear Screen", &page);
  auto* other = new QLineEdit(&page);
  auto* layout = new QVBoxLayout(&page);
  for (QWidget* w :
       {static_cast<QWidget*>(notes), static_cast<QWidget*>(list), static_cast<QWidget*>(group),
        static_cast<QWidget*>(clear), static_cast<QWidget*>(other)}) {
    layout->addWidget(w);
  }
  (new QVBoxLayout(group))->addWidget(groupLabel);
  int clicks = 0;
  QObject::connect(clear, &QPushButton::clicked, [&] { ++clicks; });

  HelpTopicTable topics;
  topics.build(false, false);
  topics.replaceTopic(ostrel::helpItemList(1), "FAILSAFE.htm");  // as HLPCFG[1] would
  std::string modelHelp = "KM30Help";
  QStringList messages;
  auto* help = new ContextHelp(
      &page, topics,
      [&] {
        return HelpFiles{kHelp, modelHelp, "OstrelHelp"};
      },
      [&](const QWidget* w) -> std::optional<HelpControl> {
        if (w == notes) return HelpControl::NotesBox;
        if (w == list) return ostrel::helpItemList(1);
        if (w == group) return HelpControl::LevelsGroup;
        if (w == clear) return HelpControl::ClearScreenButton;
        return std::nullopt;
      },
      [&](const std::string& key) { messages.append(QString::fromStdString(key)); });
  // A filter installed later than the page's help, as the main form's is,
  // must not see the right click first once the page is shown.
  RightPressDropper dropper;
  qApp->installEventFilter(&dropper);
  page.show();
  QVERIFY(QTest::qWaitForWindowExposed(&page));
  QCoreApplication::processEvents();

  auto shown = [] {
    CHelpBrowser* window = CHelpBrowser::instance();
    return window == nullptr ? QString()
                             : helpName(window->source()) + "/" + fileName(window->source());
  };

  // F1 on the focused control.
  notes->setFocus();
  QTest::keyClick(notes, Qt::Key_F1);
  QCOMPARE(shown(), QStringLiteral("OstrelHelp/DESCRIPTION.htm"));
  QVERIFY(CHelpBrowser::instance()->isVisible());

  // A right click: the model's own topic, then the control gets a left press.
  QTest::mouseClick(list, Qt::RightButton);
  QCOMPARE(shown(), QStringLiteral("KM30Help/FAILSAFE.htm"));
  QCOMPARE(list->presses, QList<Qt::MouseButton>{Qt::LeftButton});

  // The label inside the group opens the group's topic; a button is not
  // pressed by asking for its help; an unmapped control gets the default.
  QTest::mouseClick(groupLabel, Qt::RightButton);
  QCOMPARE(shown(), QStringLiteral("KM30Help/TANK_LEVELS_GROUP.htm"));
  QTest::mouseClick(clear, Qt::RightButton);
  QCOMPARE(shown(), QStringLiteral("OstrelHelp/CONFIGURATION_GROUP.htm"));
  QCOMPARE(clicks, 0);
  QTest::mouseClick(other, Qt::RightButton);
  QCOMPARE(shown(), QStringLiteral("OstrelHelp/GETTING_STARTED.htm"));
  QVERIFY(messages.isEmpty());

  // The model's help file is missing: the message, then the main help.
  modelHelp = "KM99Help";
  QTest::mouseClick(list, Qt::RightButton);
  QCOMPARE(messages, QStringList{"ERROR_MESSAGE70"});
  QCOMPARE(shown(), QStringLiteral("OstrelHelp/FAILSAFE.htm"));
  QCOMPARE(list->presses.size(), 1);  // the interrupted click is not passed on

  qApp->removeEventFilter(&dropper);
  delete help;
  delete CHelpBrowser::instance();
}

QTEST_MAIN(CHelpBrowserTest)
#include "c_help_browser_test.moc"
