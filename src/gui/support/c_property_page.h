#pragma once
// A page of the main form. Pages borrow the session's components (they own
// none of them), show the identity of the unit they were opened for, and
// are told when they become and stop being the current page.

#include <QString>
#include <QWidget>

class QGroupBox;
class QLabel;
class QVBoxLayout;

namespace ostrel {

class AppContext;
class QtPresenter;

// What every page is lent.
struct PageServices {
  AppContext& context;
  QtPresenter& presenter;
  bool stubbed;  // sample program: no unit behind the page
};

class CPropertyPage : public QWidget {
  Q_OBJECT

 public:
  CPropertyPage(const char* titleKey, const char* titleFallback, PageServices services,
                QWidget* parent = nullptr);

  // The page's tab title from its language key.
  QString title() const;
  const char* titleKey() const { return titleKey_; }
  bool stubbed() const { return services_.stubbed; }

  // The sheet made this the current page.
  virtual void OnSetActive();
  // The sheet wants to leave this page; false keeps it.
  virtual bool OnKillActive() { return true; }

  QLabel* identityLine(int row) const;
  QLabel* noticeLabel() const { return notice_; }

 protected:
  AppContext& context() const { return services_.context; }
  QtPresenter& presenter() const { return services_.presenter; }
  QString text(const char* key, const char* fallback = "") const;
  QVBoxLayout* pageLayout() const { return layout_; }
  // A plain statement of what this page cannot do yet.
  void setNotice(const QString& text);
  void refreshIdentity();
  // Enter and Escape belong to the page, not to the main form's buttons.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  const char* titleKey_;
  const char* titleFallback_;
  PageServices services_;
  QVBoxLayout* layout_;
  QGroupBox* identity_;
  QLabel* lines_[4];
  QLabel* notice_;
};

}  // namespace ostrel
