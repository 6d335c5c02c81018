#pragma once
// The tech-support dialog: the user's mail server, name, phone, e-mail
// address and a description of the problem; its send button mails the
// unit's information memory and customer, factory and history pages to the
// maker's support mailbox. The sending runs on a worker while the windows
// keep painting.

#include <QDialog>
#include <functional>

#include "core/net/tech_support.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace ostrel {

class AppContext;
class QtPresenter;

class CTechSupport : public QDialog {
  Q_OBJECT

 public:
  // kept: the server, name, phone and address the page keeps for the run
  // (the description is not kept); the fields start from it and it takes
  // what was typed at each send.
  CTechSupport(AppContext& ctx, QtPresenter& presenter, TechSupportFields& kept,
               QWidget* parent = nullptr);

  QLineEdit* serverBox() const { return server_; }
  QLineEdit* nameBox() const { return name_; }
  QLineEdit* phoneBox() const { return phone_; }
  QLineEdit* emailBox() const { return email_; }
  QPlainTextEdit* descriptionBox() const { return description_; }
  QPushButton* sendButton() const { return send_; }

  // What the last send ended with (none before one).
  const std::optional<TechSupportOutcome>& lastOutcome() const { return last_; }
  // The server's reply time-out (tests shorten it).
  int responseTimeoutMs = 2000;

 private:
  void send();
  void finish(const TechSupportOutcome& outcome);

  AppContext& ctx_;
  QtPresenter& presenter_;
  TechSupportFields& kept_;
  QLineEdit* server_ = nullptr;
  QLineEdit* name_ = nullptr;
  QLineEdit* phone_ = nullptr;
  QLineEdit* email_ = nullptr;
  QPlainTextEdit* description_ = nullptr;
  QPushButton* send_ = nullptr;
  std::optional<TechSupportOutcome> last_;
};

}  // namespace ostrel
