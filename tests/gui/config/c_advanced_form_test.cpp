// The advanced settings dialog of standard models as the user works it,
// offscreen, over the KM30 of the built-in simulated unit: the boxes it
// opens with, typing into a value box, Update into ADVANCED; and the
// Advanced button's road (no inputs, the notice, a model whose inputs
// scroll).

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "core/session/app_context.h"
#include "dialog_test_session.h"
#include "gui/config/c_advanced_form.h"
#include "gui/support/context_help.h"
#include "gui/support/qt_presenter.h"

using namespace ostrel;

class CAdvancedFormTest : public QObject {
  Q_OBJECT

 private slots:
  // Twenty-five inputs, each with four explanation lines and a value box;
  // line height 10, buttons 23 high: an input takes 4 x 10 + 10 + 25 = 75.
  void twentyFiveLongInputsAreLaidOutAndScrollAtFiveHundred() {
    AdvancedRow input;
    input.explanation = {"one", "two", "three", "four"};
    input.hasValue = true;
    std::vector<AdvancedRow> inputs(25, input);
    const AdvancedLayout layout = AdvancedLayout::of(inputs, 10, 23);
    QCOMPARE(layout.rows[0].explanation->top, 10);
    QCOMPARE(layout.rows[0].explanation->bottom, 50);
    QCOMPARE(layout.rows[0].check.top, 60);
    QCOMPARE(layout.rows[0].value->top, 58);
    QCOMPARE(layout.rows[0].value->bottom, 78);
    QCOMPARE(layout.rows[24].check.top, 1860);
    QCOMPARE(layout.buttonsTop, 1885);
    QCOMPARE(layout.contentHeight, 1918);
    QCOMPARE(layout.clientHeight, 500);
    QVERIFY(layout.scrolls());
    const AdvancedLayout::Scroll s = layout.scroll();
    QCOMPARE(s.range, 1418);
    QCOMPARE(s.page, 141);
    QCOMPARE(s.line, 14);

    // Six inputs stay below 700 and open at their own height; one line of
    // an explanation wrapped onto two moves everything below it down 10.
    inputs.resize(6);
    const AdvancedLayout small = AdvancedLayout::of(inputs, 10, 23);
    QCOMPARE(small.contentHeight, 493);
    QCOMPARE(small.clientHeight, 493);
    QVERIFY(!small.scrolls());
    QCOMPARE(small.scroll().range, 0);
    const AdvancedLayout wrapped = AdvancedLayout::of(inputs, 10, 23, {5});
    QCOMPARE(wrapped.rows[1].check.top, 145);
    QCOMPARE(wrapped.contentHeight, 503);
  }

  // KM30: 0 damping, 1 blanking distance (a length), 2 fixed temperature,
  // 3 echo lock (check box only), 4 loss of echo delay.
  void boxesFilterAndUpdateIntoTheConfiguration() {
    test::DialogSession session("ultrasonic");
    QVERIFY(session.connect());
    AppContext& ctx = session.ctx();
    ctx.Unit.heightUnits = 2;  // feet, 708 counts each
    ctx.Unit.advanced[0] = {true, 30};
    ctx.Unit.advanced[1] = {true, 1416};
    ctx.Unit.advanced[4] = {false, -1};

    CAdvancedForm form(ctx, session.presenter());
    form.show();
    QCOMPARE(form.windowTitle(), QString("Advanced"));
    QCOMPARE(form.checkBox(0)->text(), QString("Damping"));
    QVERIFY(form.checkBox(0)->isChecked());
    QCOMPARE(form.valueBox(0)->text(), QString("30.0"));
    QCOMPARE(form.valueBox(1)->text(), QString("2.0"));
    QVERIFY(form.valueBox(3) == nullptr);
    QVERIFY(!form.valueBox(4)->isEnabled());
    QVERIFY(!form.scrollArea()->verticalScrollBar()->isVisible());
    // Help anywhere in the dialog is the Advanced button's topic (HLPADV).
    QCOMPARE(form.findChild<ContextHelp*>()->topicFor(form.checkBox(3)),
             std::string("ADVANCED_ULTRASONIC.htm"));

    // Ticking enables the box; a second point and a stray hex digit go.
    form.checkBox(4)->click();
    QVERIFY(form.valueBox(4)->isEnabled());
    QTest::keyClicks(form.valueBox(4), "1.2.");
    QCOMPARE(form.valueBox(4)->text(), QString("1.2"));
    form.checkBox(2)->setChecked(true);
    QTest::keyClicks(form.valueBox(2), "0x1f");
    QCOMPARE(form.valueBox(2)->text(), QString("0x1f"));
    QTest::keyClicks(form.valueBox(1), "F");  // blanking: "2.0F" is refused
    QCOMPARE(form.valueBox(1)->text(), QString("2.0"));
    QCOMPARE(form.refusals(), 2);
    // A value its word cannot hold is refused as the page refuses heights,
    // and nothing is stored.
    form.valueBox(0)->setText("70000");
    session.presenter().clearShown();
    QTest::mouseClick(form.updateButton(), Qt::LeftButton);
    QVERIFY(form.isVisible());
    QCOMPARE(session.presenter().shown().size(), std::size_t{1});
    QCOMPARE(session.presenter().shown()[0].text,
             ctx.text("ERROR_MESSAGE46") + "Damping: value above the maximum of 65534.000.");
    QCOMPARE(ctx.Unit.advanced[0].value, 30.0);
    form.valueBox(0)->clear();  // damping stays ticked, without a value

    // Enter moves on and Escape does nothing; Update stores.
    form.valueBox(1)->setFocus();
    QTest::keyClick(&form, Qt::Key_Escape);
    QVERIFY(form.isVisible());
    QTest::mouseClick(form.updateButton(), Qt::LeftButton);
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QVERIFY(ctx.Unit.advanced[0].set);
    QCOMPARE(ctx.Unit.advanced[0].value, -1.0);
    QCOMPARE(ctx.Unit.advanced[1].value, 1416.0);
    QCOMPARE(ctx.Unit.advanced[2].value, 31.0);
    QVERIFY(ctx.Unit.advanced[4].set);
    QCOMPARE(ctx.Unit.advanced[4].value, 1.2);
  }

  void advancedButtonAsksFirstAndScrollsALongModel() {
    test::DialogSession session("ultrasonic");
    QVERIFY(session.connect());
    AppContext& ctx = session.ctx();
    QtPresenter& presenter = session.presenter();
    const AdvancedInputList km30 = ctx.Database.AdvancedInputs;

    // No inputs: the message, no question, no dialog.
    ctx.Database.AdvancedInputs = AdvancedInputList{};
    presenter.clearShown();
    QVERIFY(!CAdvancedForm::run(nullptr, ctx, presenter));
    QCOMPARE(presenter.shown().size(), std::size_t{1});
    QCOMPARE(presenter.shown()[0].text, ctx.text("ERROR_MESSAGE62"));

    // The notice answered No: nothing opens, nothing changes.
    ctx.Database.AdvancedInputs = km30;
    ctx.Unit.advanced[0] = {true, 5};
    presenter.clearShown();
    presenter.queueAnswer(kResultNo);
    QVERIFY(!CAdvancedForm::run(nullptr, ctx, presenter));
    QCOMPARE(presenter.shown()[0].text, ctx.text("STATUS_MESSAGE26"));
    QCOMPARE(ctx.Unit.advanced[0].value, 5.0);

    // Twenty-five inputs with four-line explanations run past 700 pixels.
    AdvancedInputList many;
    many.Count = 25;
    many.Last = 24;
    for (int i = 0; i < 25; ++i) {
      AdvancedInput& in = many[static_cast<std::size_t>(i)];
      in.Caption = "Input " + std::to_string(i + 1);
      in.FlagWord = 30;
      in.FlagBit = 1;
      in.ValueWord = 31;
      in.UnitsMode = 1;
      in.UnitsText = "ms";
      in.ExplanatoryText = "The first line of a long explanation\\nthe second\\nthe third\\nthe last";
    }
    ctx.Database.AdvancedInputs = many;
    int height = 0, range = 0, page = 0, line = 0;
    bool escapeIgnored = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* form = qobject_cast<CAdvancedForm*>(QApplication::activeModalWidget());
      if (form == nullptr) return;
      poll.stop();
      height = form->height();
      QScrollBar* bar = form->scrollArea()->verticalScrollBar();
      range = bar->maximum();
      page = bar->pageStep();
      line = bar->singleStep();
      QTest::keyClick(form, Qt::Key_Escape);
      escapeIgnored = form->isVisible();
      bar->triggerAction(QAbstractSlider::SliderToMaximum);
      form->checkBox(24)->setChecked(true);
      QTest::keyClicks(form->valueBox(24), "0X10");
      form->updateButton()->click();
    });
    poll.start();
    QVERIFY(CAdvancedForm::run(nullptr, ctx, presenter));
    QCOMPARE(height, AdvancedLayout::kScrolledHeight);
    const int content = CAdvancedForm(ctx, presenter).layout().contentHeight;
    QVERIFY(content > AdvancedLayout::kTallest);
    QCOMPARE(range, content - height);
    QCOMPARE(page, range / 10);
    QCOMPARE(line, range / 100);
    QVERIFY(escapeIgnored);
    QVERIFY(ctx.Unit.advanced[24].set);
    QCOMPARE(ctx.Unit.advanced[24].value, 16.0);
  }
};

QTEST_MAIN(CAdvancedFormTest)
#include "c_advanced_form_test.moc"
