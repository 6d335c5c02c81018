#pragma once
// Context help for a page: F1 anywhere on the page, or a right click on one
// of its controls, opens that control's help topic in the help window.
//
// Installing it on a page (the page keeps the object; it lives as the
// page's child):
//
//   auto* help = new ContextHelp(
//       this, ctx_.HelpTopics,
//       [this] { return HelpFiles{ctx_.Folders.Help, ctx_.Database.HelpFile,
//                                 ctx_.Identity.MainHelp}; },
//       [this](const QWidget* w) -> std::optional<HelpControl> {
//         if (w == writeButton_) return HelpControl::WriteToUnitButton;
//         ...
//         return std::nullopt;
//       },
//       [this](const std::string& key) {
//         presenter_.messageBox(ctx_.text(key), kStyleError);
//       });
//
// - The topic table is read at each request, so rebuilding it for another
//   model needs nothing here; the help files are asked for each time too.
// - The control map is given the widget under the mouse (right click) or
//   the one with the keyboard focus (F1), then each parent in turn up to
//   the page, until it names a control: a combo box's inner editor finds
//   its combo box. A widget of the page that maps to nothing opens the
//   default topic ("GETTING_STARTED.htm").
// - The message function receives the language key of the missing-file
//   message ("ERROR_MESSAGE70"); show it in the error style. It is called
//   when the model's help file is missing (the topic then still opens from
//   the main help) or when no help holds the topic.
// - The help window's own captions follow the language once the page (or
//   the main form's Help button) has called CHelpBrowser::setLanguage.
// - After the help window opens, a right click goes on to the control as a
//   left click would: lists drop down, boxes take the caret. Buttons only
//   take the focus, so that asking what "Write to Unit" or "Clear Screen"
//   does never does it.
//
// The filter watches the whole application, because the main form drops
// right clicks on its pages before they reach any widget's own filter; it
// acts only on events for the page and the widgets inside it.

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>
#include <string>

#include "core/model/help_locator.h"
#include "core/model/help_topic_table.h"

class QWidget;
class QMouseEvent;

namespace ostrel {

class ContextHelp : public QObject {
  Q_OBJECT

 public:
  using ControlMap = std::function<std::optional<HelpControl>(const QWidget*)>;
  using FilesSource = std::function<HelpFiles()>;
  using MessageShow = std::function<void(const std::string& key)>;

  ContextHelp(QWidget* page, const HelpTopicTable& topics, FilesSource files, ControlMap controls,
              MessageShow showMessage);
  ~ContextHelp() override;

  // Opens the topic of the widget (walking up to the page, as above) in the
  // help window. Returns the page it opened, empty when none.
  std::filesystem::path showHelpFor(const QWidget* widget);

  // The topic a widget of the page opens.
  std::string topicFor(const QWidget* widget) const;

  // A page with one topic for all its controls (the live display, the echo
  // curves) opens this one where the control map names nothing.
  void setPageTopic(std::string topic) { pageTopic_ = std::move(topic); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool onPage(const QObject* object) const;
  void passOnAsLeftClick(QWidget* target, const QMouseEvent& right);

  QPointer<QWidget> page_;
  const HelpTopicTable& topics_;
  FilesSource files_;
  ControlMap controls_;
  MessageShow showMessage_;
  // The right click being passed on; its release goes the same way.
  QPointer<QWidget> rightTarget_;
  bool rightAsClick_ = false;
  bool reported_ = false;  // the last request showed the missing-file message
  std::string pageTopic_;
};

}  // namespace ostrel
